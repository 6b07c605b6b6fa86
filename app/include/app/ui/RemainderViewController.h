#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/ui/Page.h"
#include "engine/ApplicationItem.h"
#include "engine/RemainderEntry.h"
#include "engine/RemovalPlan.h"

#include <QDialog>
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace vimbrel {

class AppDelegate;
namespace ui {
class ToggleSwitch;
}

// The review of one application: searches its remainders on a worker thread,
// shows them grouped with sizes and a switch each, and removes the chosen
// ones together with the application.
class RemainderViewController : public Page {
 public:
  Q_DECLARE_TR_FUNCTIONS(RemainderViewController)

 public:
  RemainderViewController(AppDelegate& delegate, QWidget* parent = nullptr);
  ~RemainderViewController() override;

  // Polled every 0.3 s until the search has finished.
  void remainder_timer_proc();
  // The switch of `row`; `on` keeps the entry in the removal.
  void select_to_remove(std::size_t row, bool on);
  void show_in_finder(std::size_t row);
  void back();
  void remove();

  // The search has finished and every row is shown.
  bool isReady() const { return ready_; }
  const std::vector<RemainderEntry>& files() const { return files_; }
  // The list the remove action hands to the removal: unchosen rows are
  // placeholders. Empty until the search has finished.
  const std::vector<RemainderEntry>& prepare() const;
  // The switch and reveal button of a file row; null for a header row.
  ui::ToggleSwitch* switchAt(std::size_t row) const;
  QPushButton* revealAt(std::size_t row) const;
  QDialog* viewcontrollerL() const { return viewcontrollerL_.data(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillRows(std::size_t first);
  QWidget* makeFileRow(std::size_t row);
  void updateSummary();

  AppDelegate& appDelegate_;
  std::shared_ptr<ApplicationItem> item_;
  std::shared_ptr<std::atomic<bool>> is_vimbrel_;
  QTimer timer_;
  bool ready_ = false;
  std::vector<RemainderEntry> files_;
  std::vector<SizeEntry> sizes_;
  std::optional<RemovalPlan> plan_;  // made when the search has finished
  std::vector<std::uint64_t> clean_size_;
  std::vector<ui::ToggleSwitch*> switches_;
  std::vector<QPushButton*> reveals_;

  QWidget* searching_ = nullptr;
  QProgressBar* progress_;
  QLabel* status_;
  QLabel* summary_;
  QScrollArea* tableviewR_;
  QWidget* rows_;
  QVBoxLayout* rowsLayout_;
  QPushButton* switch_remove_;
  QPointer<QDialog> viewcontrollerL_;
  QIcon applicationIcon_;
};

}  // namespace vimbrel
