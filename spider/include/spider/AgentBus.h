#pragma once

#include <QDBusConnection>
#include <QObject>

namespace vimbrel::spider {

// The agent's presence on the session bus. Owning the well-known name makes
// the agent the only one of its user: a second agent finds the name taken and
// exits. Other programs (the application switching the agent off, `./run`,
// a desktop keybinding on Wayland) reach the running agent through it.
class AgentBus final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.Orvik.Seltan.VimbrelSpider")

 public:
  static constexpr const char* kServiceName = "com.Orvik.Seltan.Vimbrel-Spider";
  static constexpr const char* kObjectPath = "/com/Orvik/Seltan/VimbrelSpider";
  static constexpr const char* kInterface = "com.Orvik.Seltan.VimbrelSpider";

  enum class Claim { Owned, TakenByAnother, NoBus };

  explicit AgentBus(QDBusConnection connection, QObject* parent = nullptr);
  ~AgentBus() override;

  // Registers the object and asks for the name without queueing for it.
  Claim claim();

  // Asks the agent that owns the name on `connection` to quit; false when
  // no agent answered.
  static bool askRunningAgentToQuit(QDBusConnection connection);
  // Asks the running agent to show its whole-volume access window.
  static bool askRunningAgentToShowWholeVolumeWindow(QDBusConnection connection);

 public Q_SLOTS:
  Q_SCRIPTABLE void Quit();
  Q_SCRIPTABLE void ShowWholeVolumeWindow();

 Q_SIGNALS:
  void quitRequested();
  void wholeVolumeWindowRequested();

 private:
  QDBusConnection connection_;
  bool owned_ = false;
};

}  // namespace vimbrel::spider
