#pragma once

#include <string>

namespace vimbrel {

// Plays the desktop's sound for an event of the freedesktop sound theme
// ("complete", "bell", "message" ...).
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void play(const std::string& eventId) = 0;
};

// Through libcanberra. Silent when no sound server answers; never blocks.
class CanberraSoundPlayer final : public SoundPlayer {
 public:
  CanberraSoundPlayer() = default;
  ~CanberraSoundPlayer() override;
  CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
  CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;
  void play(const std::string& eventId) override;

 private:
  struct ca_context* context_ = nullptr;
  bool unavailable_ = false;
};

}  // namespace vimbrel
