#pragma once

#include <QCoreApplication>
#include <QWidget>

namespace vimbrel {

class AppDelegate;

// The content of the popover "BundleCantRemove": a removal left something
// behind, which the user can look at in the file viewer.
class BundleCantRemove : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(BundleCantRemove)

 public:
  explicit BundleCantRemove(AppDelegate& delegate, QWidget* parent = nullptr);

  // Reveals what the removal could not delete.
  void show_in_finder();

 private:
  AppDelegate& delegate_;
};

}  // namespace vimbrel
