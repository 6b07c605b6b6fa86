#pragma once

#include <QCoreApplication>
#include <QPointer>

#include "app/ui/Page.h"
#include "app/ui/Popover.h"

#include <QDialog>

class QPushButton;

namespace vimbrel {

class AppDelegate;

// The result of a removal: what was removed and how much, then at most one
// follow-up: what could not be removed, the rate popover, or the launch-count
// rate sheet.
class RemoveViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(RemoveViewController)

 public:
  RemoveViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  ~RemoveViewController() override;

  void viewDidAppear() override;
  void back_applications();
  void back_home();
  void close_rate_app();

  Popover* popover() const { return popover_.data(); }
  QDialog* rateSheet() const { return rateSheet_.data(); }

  // Where the popovers point, in this page's coordinates.
  static QRect cantRemoveRect();
  static QRect rateRect();

  // Shows the popover `identifier` ("CantRemove" or "RateApp") from "Main".
  void showPopover(const char* identifier, const QRect& rect);

 private:
  AppDelegate& appDelegate_;
  QPointer<Popover> popover_;
  QPointer<QDialog> rateSheet_;
  QPushButton* anchorButton_ = nullptr;
};

}  // namespace vimbrel
