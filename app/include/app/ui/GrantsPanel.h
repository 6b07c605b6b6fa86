#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/FolderGrants.h"

class QLabel;
class QPushButton;

namespace vimbrel {

// The folder grants of one store, a row each: what the grant is for, its
// folder, whether it counts (valid, stale, missing, and why), "Change…" and
// "Remove". Used for the window's grants and for the agent's.
class GrantsPanel : public QWidget {
 public:
  Q_DECLARE_TR_FUNCTIONS(GrantsPanel)

 public:
  using Kind = GrantChecks::Kind;
  // Asks the user to confirm a removal; the default asks in a message box.
  using Confirm = std::function<bool(const QString& question)>;

  GrantsPanel(std::unique_ptr<FolderGrants> grants, FolderChooser& chooser, QString homeFolder,
              const QString& namePrefix, QWidget* parent);
  ~GrantsPanel() override;

  void setConfirm(Confirm confirm) { confirm_ = std::move(confirm); }
  // Called after a grant was removed.
  void setOnRemoved(std::function<void(Kind)> removed) { onRemoved_ = std::move(removed); }
  // Reads the grants again (they may have changed elsewhere).
  void refresh();

  void change(Kind kind);
  void remove(Kind kind);

 private:
  struct Row {
    QLabel* path = nullptr;
    QLabel* state = nullptr;
    QLabel* problem = nullptr;
    QPushButton* change = nullptr;
    QPushButton* remove = nullptr;
  };
  Row& rowOf(Kind kind);

  std::unique_ptr<FolderGrants> grants_;
  FolderChooser& chooser_;
  QString homeFolder_;
  Row rows_[3];
  Confirm confirm_;
  std::function<void(Kind)> onRemoved_;
};

}  // namespace vimbrel
