#include "app/ui/RemainderIcons.h"

#include "platform/Paths.h"

namespace vimbrel {

RemainderIcon remainderIcon(const std::string& path, bool isDirectory) {
  using Kind = RemainderIcon::Kind;
  const auto has = [&](const char* part) { return path.find(part) != std::string::npos; };
  RemainderIcon icon;
  if (!isDirectory) icon = {Kind::GenericDocument, {}};
  const std::string_view extension = paths::extension(path);
  if (extension == "app" || extension == "prefPane") icon = {Kind::ApplicationIcon, {}};
  if (has("Preferences")) icon = {Kind::Preferences, {}};
  if (has("Cookies")) icon = {Kind::FileType, "webloc"};
  if (has("CrashReporter")) icon = {Kind::FileType, "crash"};
  if (has("DiagnosticReports")) icon = {Kind::FileType, "crash"};
  if (has("LaunchAgents")) icon = {Kind::LaunchAgent, {}};
  if (has("LaunchDaemons")) icon = {Kind::LaunchAgent, {}};
  if (has("Address Book Plug-Ins")) icon = {Kind::FileType, "bundle"};
  if (has("com.apple.helpd")) icon = {Kind::FileType, "help"};
  if (has("Services")) icon = {Kind::FileType, "workflow"};
  if (has("Desktop")) icon = {Kind::OwnIcon, {}};
  return icon;
}

}  // namespace vimbrel
