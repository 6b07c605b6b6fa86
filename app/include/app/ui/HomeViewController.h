#pragma once

#include <QCoreApplication>
#include <QLabel>

#include "app/ui/Page.h"

namespace vimbrel {

class AppDelegate;

// The drop target: an image that accepts an application dragged onto it and
// opens its review.
class DragAndDropImageView : public QLabel {
 public:
  Q_DECLARE_TR_FUNCTIONS(DragAndDropImageView)

 public:
  DragAndDropImageView(AppDelegate& delegate, QWidget* parent);

  // True when the first of `paths` is an application bundle by its name (the
  // extension is exactly "app").
  static bool acceptsPaths(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  AppDelegate& appDelegate_;
  bool hovering_ = false;
};

// The first page: the drop target and the way to the two lists.
class HomeViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(HomeViewController)

 public:
  HomeViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  void applications();
  void Extensions();

 private:
  AppDelegate& delegate_;
};

}  // namespace vimbrel
