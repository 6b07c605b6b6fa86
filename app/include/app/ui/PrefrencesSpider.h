#pragma once

#include <QCoreApplication>
#include <QWidget>

#include "app/SpiderPreferences.h"

class QAbstractButton;

namespace vimbrel {

class GrantsPanel;

class AppDelegate;

// The "Spider" page of the preferences window: the background agent as a
// login item and its two notification switches.
class PrefrencesSpider : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(PrefrencesSpider)

 public:
  explicit PrefrencesSpider(AppDelegate& delegate, QWidget* parent = nullptr);

  static QString identifier() { return SpiderPreferences::kIdentifier; }
  static QString toolbarItemLabel() { return SpiderPreferences::kToolbarItemLabel; }
  // The page's own image, "SpiderPrefrences", drawn in code.
  static QIcon toolbarItemImage();

  void EnableSpider();
  void EnableNotifications();
  void RemoveNotifications();

 protected:
  // The agent's grants may have changed elsewhere.
  void showEvent(QShowEvent* event) override;

 private:
  // Shows the logic's switch states.
  void refresh();

  SpiderPreferences logic_;
  GrantsPanel* grants_ = nullptr;
  QAbstractButton* enableSpiderButton_;
  QAbstractButton* enableNotificationsButton_;
  QAbstractButton* removeNotifiactionsButton_;
};

}  // namespace vimbrel
