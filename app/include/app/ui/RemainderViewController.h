#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/ReviewRemoval.h"
#include "app/ui/Page.h"
#include "engine/ApplicationItem.h"
#include "engine/RemainderEntry.h"

#include <QDialog>
class QLabel;
class QProgressBar;
class QPushButton;

namespace vimbrel {

class AppDelegate;
class RemainderListView;
class RemainderModel;

// The review of one application: searches its remainders on a worker thread,
// shows them grouped with sizes and a switch each (a RemainderModel in a
// list), and hands the chosen ones to the removal workflow, whose progress it
// shows until the result page takes over.
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

  // The search has finished and the rows are shown.
  bool isReady() const { return model_ != nullptr; }
  // The removal runs; the page's buttons wait for it.
  bool busy() const override { return removal_->running(); }
  const std::vector<RemainderEntry>& files() const;
  // The list the remove action hands to the removal: unchosen rows are
  // placeholders. Empty until the search has finished.
  const std::vector<RemainderEntry>& prepare() const;
  RemainderModel* model() const { return model_; }
  RemainderListView* listView() const { return list_; }
  QDialog* viewcontrollerL() const { return viewcontrollerL_.data(); }

 private:
  // Switches off, with a note, the entries a person should look at first.
  void markEntriesToCheck();
  void showRows();
  void updateSummary();
  void removal_timer_proc();

  AppDelegate& appDelegate_;
  std::shared_ptr<ApplicationItem> item_;
  std::shared_ptr<std::atomic<bool>> is_vimbrel_;
  QTimer timer_;
  QTimer removalTimer_;
  std::unique_ptr<ReviewRemoval> removal_;

  RemainderModel* model_ = nullptr;  // made when the search has finished
  QWidget* searching_ = nullptr;
  QProgressBar* progress_;
  QLabel* status_;
  QLabel* summary_;
  RemainderListView* list_;
  QLabel* warning_;
  QProgressBar* removalProgress_;
  QPushButton* back_;
  QPushButton* switch_remove_;
  QPointer<QDialog> viewcontrollerL_;
};

}  // namespace vimbrel
