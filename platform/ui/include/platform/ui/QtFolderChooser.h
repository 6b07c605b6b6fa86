#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/FolderChooser.h"

namespace vimbrel {

// The folder panel of the desktop (QFileDialog): folders only, one at a time,
// hidden folders not shown, modal over `parent`. On the offscreen and minimal
// platforms Qt's own dialog is used, since no desktop dialog can appear there.
class QtFolderChooser final : public FolderChooser {
 public:
  explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> chooseFolder(const FolderPanelOptions& options) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace vimbrel
