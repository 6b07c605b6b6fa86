#include "RTKSchedule.h"

namespace vimbrel {

void RTKSchedule::launchToolsForEvent(const QString& eventName) {
  // FIXME: present the pending prompts of "eventQueue" when the toolkit exists.
  Q_UNUSED(eventName);
}

}  // namespace vimbrel
