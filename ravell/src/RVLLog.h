#pragma once

#include <QString>

namespace vimbrel {

// Console messages of the framework. It reports problems there and carries on.
namespace rvllog {

void info(const QString& message);
void warning(const QString& message);

}  // namespace rvllog
}  // namespace vimbrel
