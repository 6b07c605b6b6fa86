#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vimbrel {

// The names the application's pages are switched by, and the one the rate
// popover closes itself with. Every poster and observer uses these.
namespace notifications {
inline constexpr const char* kHomeViewController = "home_view_controller";
inline constexpr const char* kApplicationsViewController = "applications_view_controller";
inline constexpr const char* kRemainderViewController = "remainder_view_controller";
inline constexpr const char* kRemoveViewController = "remove_view_controller";
inline constexpr const char* kExtensionsViewController = "extensions_view_controller";
inline constexpr const char* kPluginsViewController = "plugins_view_controller";
inline constexpr const char* kPrefpanesViewController = "prefpanes_view_controller";
inline constexpr const char* kSafariExtensionsViewController = "safari_extensions_view_controller";
inline constexpr const char* kCloseRateApp = "close_rate_app";

// The eight page notifications, in the order the window registers for them.
inline constexpr std::array<const char*, 8> kPageNotifications = {
    kHomeViewController,      kApplicationsViewController,    kRemainderViewController,
    kRemoveViewController,    kExtensionsViewController,      kPluginsViewController,
    kPrefpanesViewController, kSafariExtensionsViewController};
}  // namespace notifications

// Named notifications within one process. A post calls every observer of the
// name at once, on the posting thread, in the order they registered, and
// returns when all have run. An observer removed while a post is under way
// (for instance a page replaced by an earlier observer) is not called.
class NotificationCenter {
 public:
  using Observer = std::function<void()>;
  using Token = std::uint64_t;

  // Registers `observer` for `name`; `owner` groups registrations for removal.
  Token addObserver(const void* owner, std::string name, Observer observer);
  void removeObserver(Token token);
  // Removes every registration of `owner`.
  void removeObserver(const void* owner);
  void post(const std::string& name);

  // How many observers `name` has now.
  std::size_t observerCount(const std::string& name) const;

 private:
  struct Registration {
    Token token;
    const void* owner;
    std::string name;
    Observer observer;
  };
  bool isRegistered(Token token) const;

  mutable std::mutex mutex_;
  Token next_ = 1;
  std::vector<Registration> registrations_;
};

}  // namespace vimbrel
