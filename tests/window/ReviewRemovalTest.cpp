#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

#include "WindowFixture.h"
#include "engine/RemainderPresentation.h"
#include "engine/RemovalTotal.h"

namespace vimbrel::testing {
namespace {

namespace fs = std::filesystem;

// A file system whose deletions wait until the test opens the gate, so that
// the window can be looked at while the removal runs.
class GatedFileSystem final : public ForwardingFileSystem {
 public:
  explicit GatedFileSystem(const FileSystem& target) : ForwardingFileSystem(target) {}
  Status removeBelow(const RemovalAnchor& anchor, const std::string& path) const override {
    {
      std::unique_lock lock(mutex_);
      ++waiting_;
      opened_.wait(lock, [&] { return open_; });
    }
    return ForwardingFileSystem::removeBelow(anchor, path);
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  int waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable opened_;
  mutable int waiting_ = 0;
  bool open_ = false;
};

class ReviewRemovalTest : public WindowTest {
 protected:
  void expectResult(const char* failing, const char* headline, bool whole);
};

TEST_F(ReviewRemovalTest, ModelRowsAreTheEnginesListWithUniqueSwitchNames) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  RemainderModel& model = *review->model();
  const auto& files = delegate_->state().item()->files;
  ASSERT_EQ(model.rowCount(), static_cast<int>(files.size()));
  std::set<QString> names;
  for (int row = 0; row < model.rowCount(); ++row) {
    const RemainderEntry& entry = files[static_cast<std::size_t>(row)];
    const QModelIndex index = model.index(row);
    EXPECT_EQ(index.data(RemainderModel::IsHeaderRole).toBool(), entry.isHeader()) << row;
    if (entry.isHeader()) {
      EXPECT_EQ(index.data().toString(), QString(groupLabel(entry.group())));
      EXPECT_FALSE(index.flags() & Qt::ItemIsUserCheckable);
      continue;
    }
    ASSERT_TRUE(entry.isFileLocation());
    EXPECT_EQ(index.data(RemainderModel::PathRole).toString().toStdString(), entry.text());
    EXPECT_TRUE(names.insert(index.data(Qt::AccessibleTextRole).toString()).second)
        << "two switches named " << index.data(Qt::AccessibleTextRole).toString().toStdString();
    EXPECT_TRUE(index.data(Qt::AccessibleTextRole).toString().startsWith("Remove "));
  }
  EXPECT_EQ(review->prepare(), files);
  EXPECT_EQ(delegate_->state().common_remove_size(),
            chosenTotal(files, delegate_->state().item()->sizes));
}

TEST_F(ReviewRemovalTest, ARowToCheckStartsOffWithItsNoteAndCountsInNoTotal) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  RemainderModel& model = *review->model();
  const std::size_t row = rowOf(*review, "Application Support/Tool Data");
  const std::uint64_t before = delegate_->state().common_remove_size();
  model.setCheckBeforeRemoving(static_cast<int>(row), "Check before removing");
  const QModelIndex index = model.index(static_cast<int>(row));
  EXPECT_FALSE(switchOn(*review, row));
  EXPECT_EQ(index.data(RemainderModel::NoteRole).toString(), "Check before removing");
  EXPECT_TRUE(index.data(Qt::AccessibleDescriptionRole).toString().contains("Check before"));
  EXPECT_LT(delegate_->state().common_remove_size(), before);
  EXPECT_TRUE(review->prepare()[row].isPlaceholder());
  // The user may still choose it.
  EXPECT_TRUE(model.setData(index, Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(delegate_->state().common_remove_size(), before);
}

TEST_F(ReviewRemovalTest, TheRemovalRunsOffTheMainThreadWithProgressAndClosingWaits) {
  grantFolders();
  PosixFileSystem real;
  GatedFileSystem gated(real);
  // Never leave the worker waiting, whatever fails below.
  std::shared_ptr<void> openOnExit(nullptr, [&](void*) { gated.open(); });
  launch(&gated);
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::vector<RemainderEntry> files = review->files();
  click(control("remove"));

  // The window lives while the worker waits at the first deletion.
  ASSERT_TRUE(QTest::qWaitFor([&] { return gated.waiting() > 0; }, 10000));
  QTest::qWait(120);
  EXPECT_TRUE(review->busy());
  EXPECT_EQ(page<RemainderViewController>(), review);
  EXPECT_FALSE(control("remove")->isEnabled());
  EXPECT_FALSE(control("back")->isEnabled());
  review->back();
  EXPECT_EQ(page<RemainderViewController>(), review);
  auto* progress = review->findChild<QProgressBar*>("removalProgress");
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->accessibleName(), "Removing");
  const QString status = review->findChild<QLabel*>("warning")->text();
  EXPECT_TRUE(status.startsWith("Removing… 0 of ")) << status.toStdString();
  QCloseEvent close;
  QApplication::sendEvent(&window(), &close);
  EXPECT_FALSE(close.isAccepted());

  gated.open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return page<RemoveViewController>() != nullptr; }, 30000));
  for (const RemainderEntry& entry : files) {
    if (entry.isFileLocation()) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(entry.text()))) << entry.text();
    }
  }
  EXPECT_EQ(sounds_.played, std::vector<std::string>{"complete"});
}

// Removes Tool with deletions failing for paths containing `failing`, and
// checks the result page's headline, check mark and freed size.
void ReviewRemovalTest::expectResult(const char* failing, const char* headline, bool whole) {
  grantFolders();
  PosixFileSystem real;
  FailingFileSystem failingFileSystem(real, failing);
  launch(&failingFileSystem);
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::uint64_t chosen = delegate_->state().common_remove_size();
  removeAndWait();
  auto* result = page<RemoveViewController>();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(control<QLabel>("headline")->text(), headline);
  EXPECT_EQ(control<QLabel>("done")->isVisible(), whole);
  EXPECT_EQ(control<QLabel>("survivors")->isVisible(), !whole);
  // The size counts only what was freed.
  const std::uint64_t freed = delegate_->state().common_remove_size();
  EXPECT_EQ(control<QLabel>("size")->text(), ui::sizeText(freed));
  if (whole) {
    EXPECT_EQ(freed, chosen);
  } else {
    EXPECT_LT(freed, chosen);
  }
  delegate_.reset();
}

TEST_F(ReviewRemovalTest, TheResultPageSaysRemovedWhenNothingRemained) {
  expectResult("no path has this", "Tool was removed", true);
}

TEST_F(ReviewRemovalTest, TheResultPageSaysPartlyRemovedWhenEntriesRemained) {
  expectResult("Tool Updates", "Tool was partly removed", false);
}

}  // namespace
}  // namespace vimbrel::testing
