#pragma once

#include <QString>

namespace vimbrel {

// Prompt scheduling. Only the hook that event creation calls exists so far:
// prompts waiting for an event are presented from here once the prompt toolkit
// is built.
class RTKSchedule {
 public:
  // Presents the prompts waiting for `eventName`; none can wait yet.
  static void launchToolsForEvent(const QString& eventName);
};

}  // namespace vimbrel
