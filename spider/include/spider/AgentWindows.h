#pragma once

namespace vimbrel::spider {

// The agent's three windows, as its delegate opens them. The widgets
// implement it; tests record what was asked.
class AgentWindows {
 public:
  virtual ~AgentWindows() = default;
  // The home (and Applications) access window "Sandbox".
  virtual void showSandbox() = 0;
  // The whole-volume access window "SpiderOptional".
  virtual void showSpiderOptional() = 0;
  // The rating window "LikeApp", in front whatever application is active.
  virtual void showLikeApp() = 0;
};

}  // namespace vimbrel::spider
