#include "RVLLog.h"

#include <QDebug>

namespace vimbrel::rvllog {

void info(const QString& message) { qInfo().noquote() << message; }

void warning(const QString& message) { qWarning().noquote() << message; }

}  // namespace vimbrel::rvllog
