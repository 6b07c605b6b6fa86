#include <canberra.h>

#include "platform/ui/SoundPlayer.h"

namespace vimbrel {

CanberraSoundPlayer::~CanberraSoundPlayer() {
  if (context_ != nullptr) ca_context_destroy(context_);
}

void CanberraSoundPlayer::play(const std::string& eventId) {
  if (unavailable_) return;
  if (context_ == nullptr) {
    if (ca_context_create(&context_) != CA_SUCCESS) {
      context_ = nullptr;
      unavailable_ = true;
      return;
    }
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Vimbrel", nullptr);
    // Opening fails when no sound server is there: stay silent from then on.
    if (ca_context_open(context_) != CA_SUCCESS) {
      unavailable_ = true;
      return;
    }
  }
  ca_context_play(context_, 0, CA_PROP_EVENT_ID, eventId.c_str(), nullptr);
}

}  // namespace vimbrel
