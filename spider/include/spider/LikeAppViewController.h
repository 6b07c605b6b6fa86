#pragma once

#include <string>

#include "platform/SettingsStore.h"
#include "platform/ui/UrlOpener.h"

namespace vimbrel::spider {

// The logic of the agent's rating window "LikeApp", shown at every tenth
// cleaned application until the user answers.
class LikeAppViewController {
 public:
  LikeAppViewController(SettingsStore& app_settings, UrlOpener& urlOpener);

  void onLoad();
  // Opens the application's store page and remembers the answer.
  void yes();
  // Remembers the answer.
  void alradyDone();
  // Closes without remembering: the prompt comes back at the next tenth.
  void cancel();

  const std::string& text() const { return text_; }
  bool closeRequested() const { return closeRequested_; }

  static constexpr const char* kStorePage = "https://apps.orvik.example/vimbrel";

 private:
  void remember();

  SettingsStore& app_settings_;
  UrlOpener& urlOpener_;
  std::string text_;
  bool closeRequested_ = false;
};

}  // namespace vimbrel::spider
