#pragma once

#include <QCoreApplication>
#include <QWidget>

#include "app/GeneralPreferences.h"

class QAbstractButton;

namespace vimbrel {

class AppDelegate;

// The "General" page of the preferences window: the two switches that widen
// the applications list.
class PreferencesViewController : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(PreferencesViewController)

 public:
  explicit PreferencesViewController(AppDelegate& delegate, QWidget* parent = nullptr);

  // The preferences window's accessors for this page.
  static QString identifier() { return GeneralPreferences::kIdentifier; }
  static QString toolbarItemLabel() { return GeneralPreferences::kToolbarItemLabel; }
  static QIcon toolbarItemImage();

  void includeDefaultApps();
  void IncludeUtilities();

 private:
  GeneralPreferences logic_;
  QAbstractButton* defaultAppsButton_;
  QAbstractButton* utilitiesButton_;
};

}  // namespace vimbrel
