#pragma once

#include <QCoreApplication>
#include <QWidget>

namespace vimbrel {

class AppDelegate;

// The content of an information popover of the extension lists: why the
// list may be short, and a link to the maker's page about it (`visit:`).
class InfoViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(InfoViewController)

 public:
  // The maker's page that `visit` opens.
  static constexpr const char* kMoreAddress = "https://orvik-seltan.example/more/";

  InfoViewController(AppDelegate& delegate, const QString& identifier, const QString& title,
                     const QString& text, QWidget* parent);

  // Opens the maker's page in the default browser.
  void visit();

 private:
  AppDelegate& delegate_;
};

}  // namespace vimbrel
