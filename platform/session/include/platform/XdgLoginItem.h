#pragma once

#include <optional>
#include <string>

#include "platform/LoginItem.h"

namespace vimbrel {

// What the login-item service needs to know of the agent it manages.
struct AgentProgram {
  // The agent's identifier: the name of its autostart entry and the
  // session-bus name the running agent owns (one instance per session).
  std::string identifier;
  // The name shown by session managers.
  std::string displayName;
  // The absolute path of the agent program.
  std::string program;
};

// How a running agent is asked to quit: a call without arguments and with no
// answer but the empty reply, on the agent's bus name.
namespace agentbus {
inline constexpr const char* kObjectPath = "/com/Orvik/Seltan/VimbrelSpider";
inline constexpr const char* kInterface = "com.Orvik.Seltan.VimbrelSpider";
inline constexpr const char* kQuitMethod = "Quit";
}  // namespace agentbus

// The agent as a login item of an XDG desktop: registering it writes
// <autostart folder>/<identifier>.desktop, which session managers start at
// login, and starts the program now; unregistering deletes the entry and asks
// the running agent to quit through its session-bus name. Without a session
// bus, or when the agent does not answer, the processes whose executable is
// the agent program get SIGTERM; a process is never chosen by its name.
class XdgLoginItem final : public LoginItem {
 public:
  // `autostartFolder` is where entries go (normally autostartFolder() below).
  // `busAddress` is the session bus to use; nothing means the one that
  // sessionBusAddress() finds at each switch.
  XdgLoginItem(AgentProgram agent, std::string autostartFolder,
               std::optional<std::string> busAddress = std::nullopt);

  Status setEnabled(bool enabled) override;
  // The entry exists and neither hides nor disables itself.
  bool isEnabled() const override;

  std::string entryPath() const;
  // The entry's text. Fails for a program path that no entry can hold (one
  // with a line break or another control character).
  static std::optional<std::string> desktopEntry(const AgentProgram& agent);
  // The Exec value of the entry: the program quoted and escaped for it.
  static std::string execValue(const std::string& program);

 private:
  Status stopAgent() const;

  AgentProgram agent_;
  std::string autostartFolder_;
  std::optional<std::string> busAddress_;
};

// $XDG_CONFIG_HOME/autostart ($HOME/.config/autostart when it is unset).
std::string autostartFolder();

// The session bus of this login: $DBUS_SESSION_BUS_ADDRESS, else the
// per-user bus socket $XDG_RUNTIME_DIR/bus when it exists; nothing without one.
std::optional<std::string> sessionBusAddress();

// The program called `name` in the folder of `program` (a program installed
// beside another).
std::string programBeside(const std::string& program, const std::string& name);

}  // namespace vimbrel
