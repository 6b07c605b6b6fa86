#include "platform/XdgLoginItem.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>
#include <QtDBus/QDBusReply>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/ProgramProcesses.h"
#include "platform/User.h"
#include "platform/XdgFolders.h"

namespace vimbrel {

namespace {

// How long a quitting agent may take to leave the bus, so that an agent
// started right after it does not find its name still taken.
constexpr auto kQuitWait = std::chrono::seconds(3);
constexpr auto kQuitPoll = std::chrono::milliseconds(25);
constexpr int kCallTimeoutMs = 3000;

// The string escapes of a desktop-entry value.
std::string escapeString(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool holdsControlCharacter(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// A private connection of its own for each switch, so that a bus started or
// changed after the first use is seen, and nothing lingers afterwards.
class BusConnection {
 public:
  explicit BusConnection(const std::string& address)
      : name_(QStringLiteral("vimbrel-login-item-%1").arg(counter_.fetch_add(1))),
        bus_(QDBusConnection::connectToBus(QString::fromStdString(address), name_)) {}
  ~BusConnection() {
    bus_ = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(name_);
  }
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  QDBusConnection& bus() { return bus_; }

 private:
  static inline std::atomic<int> counter_{0};
  QString name_;
  QDBusConnection bus_;
};

}  // namespace

XdgLoginItem::XdgLoginItem(AgentProgram agent, std::string autostartFolder,
                           std::optional<std::string> busAddress)
    : agent_(std::move(agent)),
      autostartFolder_(std::move(autostartFolder)),
      busAddress_(std::move(busAddress)) {}

std::string XdgLoginItem::entryPath() const {
  return paths::append(autostartFolder_, agent_.identifier + ".desktop");
}

std::string XdgLoginItem::execValue(const std::string& program) {
  // Quoting rules first, then the string escapes, which readers undo first.
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return escapeString(quoted);
}

std::optional<std::string> XdgLoginItem::desktopEntry(const AgentProgram& agent) {
  if (agent.program.empty() || agent.program.front() != '/' ||
      holdsControlCharacter(agent.program) || holdsControlCharacter(agent.displayName)) {
    return std::nullopt;
  }
  std::string entry = "[Desktop Entry]\n";
  entry += "Type=Application\n";
  entry += "Name=" + escapeString(agent.displayName) + "\n";
  entry += "Comment=Cleans up after the applications moved to the Trash\n";
  entry += "Exec=" + execValue(agent.program) + "\n";
  entry += "TryExec=" + escapeString(agent.program) + "\n";
  entry += "Terminal=false\n";
  entry += "NoDisplay=true\n";
  entry += "X-GNOME-Autostart-enabled=true\n";
  return entry;
}

Status XdgLoginItem::setEnabled(bool enabled) {
  if (!enabled) {
    Status removed;
    if (::unlink(entryPath().c_str()) != 0 && errno != ENOENT) {
      removed = Status::fromErrno(errno, "remove " + entryPath());
    }
    Status stopped = stopAgent();
    return removed ? stopped : removed;
  }
  const auto entry = desktopEntry(agent_);
  if (!entry) return Status::error("no autostart entry can name " + agent_.program);
  if (Status made = atomicfile::makeFolders(autostartFolder_, 0700); !made) return made;
  Status written = atomicfile::replaceFile(
      entryPath(), std::vector<std::uint8_t>(entry->begin(), entry->end()), 0644);
  // The agent starts now even when the entry could not be written: the
  // switch asked for it to run. A second instance in one session leaves at
  // once, so starting an agent that already runs is harmless.
  Status started = programs::startDetached(agent_.program);
  return written ? started : written;
}

bool XdgLoginItem::isEnabled() const {
  std::ifstream entry(entryPath());
  if (!entry) return false;
  std::string line;
  bool inMainGroup = false;
  while (std::getline(entry, line)) {
    line = trimmed(line);
    if (line.starts_with('[')) {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    if (key == "Hidden" && value == "true") return false;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
  }
  return true;
}

Status XdgLoginItem::stopAgent() const {
  const std::optional<std::string> address = busAddress_ ? busAddress_ : sessionBusAddress();
  if (!address) {
    programs::terminateAll(agent_.program);
    return Status::ok();
  }
  BusConnection connection(*address);
  QDBusConnection& bus = connection.bus();
  if (!bus.isConnected()) {
    programs::terminateAll(agent_.program);
    return Status::ok();
  }
  const QString name = QString::fromStdString(agent_.identifier);
  QDBusConnectionInterface* daemon = bus.interface();
  const QDBusReply<bool> registered = daemon->isServiceRegistered(name);
  if (registered.isValid() && !registered.value()) return Status::ok();  // nothing runs
  const QDBusReply<uint> owner = daemon->servicePid(name);

  const QDBusMessage quit = QDBusMessage::createMethodCall(
      name, QString::fromLatin1(agentbus::kObjectPath), QString::fromLatin1(agentbus::kInterface),
      QString::fromLatin1(agentbus::kQuitMethod));
  const QDBusMessage reply = bus.call(quit, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    // The owner of the name did not quit; it is stopped only when it really
    // runs the agent program.
    const auto pid = owner.isValid() ? static_cast<pid_t>(owner.value()) : 0;
    if (pid > 0 && programs::isRunning(pid, agent_.program) && ::kill(pid, SIGTERM) == 0) {
      return Status::ok();
    }
    return Status::error("the agent did not quit: " + reply.errorMessage().toStdString());
  }
  const auto deadline = std::chrono::steady_clock::now() + kQuitWait;
  while (std::chrono::steady_clock::now() < deadline) {
    const QDBusReply<bool> still = daemon->isServiceRegistered(name);
    if (!still.isValid() || !still.value()) break;
    std::this_thread::sleep_for(kQuitPoll);
  }
  return Status::ok();
}

std::string autostartFolder() { return paths::append(configHome(), "autostart"); }

std::optional<std::string> sessionBusAddress() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return std::string(address);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return std::nullopt;
  const std::string socket = paths::append(runtime, "bus");
  struct stat info {};
  if (::stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return std::nullopt;
  return "unix:path=" + socket;
}

std::string programBeside(const std::string& program, const std::string& name) {
  return paths::append(paths::parent(program), name);
}

}  // namespace vimbrel
