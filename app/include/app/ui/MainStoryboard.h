#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vimbrel {

class AppDelegate;

// The resource set "Main": creates every page, sheet and popover of the
// application by its identifier, a new instance at every call.
class MainStoryboard {
 public:
  explicit MainStoryboard(AppDelegate& delegate) : delegate_(delegate) {}

  // Nothing for an identifier this program does not have.
  QWidget* instantiateControllerWithIdentifier(const QString& identifier,
                                               QWidget* parent = nullptr) const;
  static QStringList identifiers();

 private:
  AppDelegate& delegate_;
};

}  // namespace vimbrel
