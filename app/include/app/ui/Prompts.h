#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;

namespace vimbrel {

class AppDelegate;

// Where the application's links lead.
namespace links {
// The application's page in the desktop's software centre: the component id
// of its AppStream metadata, whose domain part validators want in lower case.
inline constexpr const char* kStorePage = "appstream://com.orvik.Seltan.Vimbrel";
// Another application of the same maker.
inline constexpr const char* kMakerApp = "appstream://com.Orvik.Seltan.Tarn";
// The maker's web site.
inline constexpr const char* kMakerSite = "https://orvik-seltan.com";
}  // namespace links

// "You have removed 20 apps. Do you enjoy Vimbrel?", in the user's language.
QString rateMessage(std::int64_t removeAppCount);
std::string rateText(std::int64_t removeAppCount);
// "You have used Vimbrel 10 times. Do you like it?", in the user's language.
QString launchCountRateMessage(std::int64_t appLaunchCount);
std::string launchCountRateText(std::int64_t appLaunchCount);

// A positive answer to a rate prompt: opens the store page and records that
// the user rated ("app_is_rate" 1), so no rate prompt shows again.
void rateApp(AppDelegate& delegate);

// "RateApp": the content of the rate popover.
class RateAppViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(RateAppViewController)

 public:
  RateAppViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  void rateApp();
  void Dislike();
  void no();
  void close();

 private:
  AppDelegate& delegate_;
  QLabel* label_;
};

// "CantRemove": the content of the popover about what could not be removed.
class CantRemoveViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(CantRemoveViewController)

 public:
  CantRemoveViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  void show_in_finder();

 private:
  AppDelegate& delegate_;
};

// "About": the About window.
class AboutViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(AboutViewController)

 public:
  AboutViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  void maker_app();
  void Acknowledgements();
  void HomePage();

  // The acknowledgements file shipped with the program.
  static std::string acknowledgementsFile();

 private:
  AppDelegate& delegate_;
};

}  // namespace vimbrel
