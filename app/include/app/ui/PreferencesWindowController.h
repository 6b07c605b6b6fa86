#pragma once

#include <QList>
#include <QWidget>

class QButtonGroup;
class QStackedWidget;

namespace vimbrel {

// The tabbed preferences window: a toolbar with one item per page (the
// page's window icon over its window title) above the page shown. Built once
// and shown again and again; the window keeps its pages.
class PreferencesWindowController : public QWidget {
 public:
  // Takes the pages in toolbar order; the first one shows first.
  PreferencesWindowController(const QList<QWidget*>& viewControllers, const QString& title,
                              QWidget* parent = nullptr);

  // Brings the window up, on the page shown last.
  void showWindow();
  // Shows the page whose object name is `identifier`.
  void selectPage(const QString& identifier);
  QWidget* currentPage() const;

 private:
  QStackedWidget* pages_;
  QButtonGroup* toolbar_;
};

}  // namespace vimbrel
