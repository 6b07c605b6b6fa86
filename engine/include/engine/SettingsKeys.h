#pragma once

// Every settings key of the system, letter for letter as the stored settings
// use them. A = application store, G = agent store, S = shared suite.
namespace vimbrel::keys {

// Grant blobs.
inline constexpr const char* kHome = "home";                  // A: the home folder
inline constexpr const char* kApplications = "Applications";  // A, G: the Applications folder
inline constexpr const char* kMacOS = "macOS";                // A, G: the whole disk
inline constexpr const char* kHomeAccess = "HomeAccess";      // G: the agent's home folder

// Integers (flags are 0/1 and compared with 1).
inline constexpr const char* kAllowAny = "AllowAny";                                    // A, G
inline constexpr const char* kIncludeUtilities = "includeUtilities";                    // A, G
inline constexpr const char* kIncludeDefaultApps = "includeDefaultApps";                // A, G
inline constexpr const char* kEnableSpider = "EnableSpider";                            // A
inline constexpr const char* kAppLaunchCount = "appLaunchCount";                        // A
inline constexpr const char* kRemoveAppCount = "remove_app_count";                      // A, G
inline constexpr const char* kAppIsRate = "app_is_rate";                                // A, G
inline constexpr const char* kSandbox = "sandbox";                                      // A
inline constexpr const char* kPresentAsSheet = "PresentAsSheet";                        // A
inline constexpr const char* kSheet = "sheet";                                          // A
inline constexpr const char* kDisableNotification = "DisableNotification";              // S
inline constexpr const char* kDisabelRemoveNotification = "DisabelRemoveNotification";  // S

}  // namespace vimbrel::keys
