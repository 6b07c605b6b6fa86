#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <fstream>
#include <set>

#include "WindowFixture.h"
#include "app/ui/HomeViewController.h"
#include "app/ui/Style.h"
#include "platform/FileSystem.h"

namespace vimbrel::testing {
namespace {

namespace fs = std::filesystem;

class WorkflowTest : public WindowTest {};

TEST_F(WorkflowTest, PickReviewSwitchOneOffAndRemove) {
  grantFolders();
  launch();
  click(control("applications"));
  ASSERT_NE(page<ApplicationsViewController>(), nullptr);
  EXPECT_EQ(store().integer(keys::kSheet), 1);

  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::vector<RemainderEntry> files = review->files();
  const std::size_t kept = rowOf(*review, "Application Support/Tool Data");
  ASSERT_LT(kept, files.size());
  // The switch names its row and its folder.
  EXPECT_EQ(review->model()->switchName(static_cast<int>(kept)),
            "Remove Tool Data in Application Support");
  const std::uint64_t before = delegate_->state().common_remove_size();
  clickSwitch(*review, kept);
  EXPECT_FALSE(switchOn(*review, kept));
  EXPECT_FALSE(review->prepare()[kept].isFileLocation());
  const std::uint64_t expected = delegate_->state().common_remove_size();
  EXPECT_LT(expected, before);

  removeAndWait();
  ASSERT_NE(page<RemoveViewController>(), nullptr);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].isFileLocation()) continue;
    if (i == kept) {
      EXPECT_TRUE(fs::exists(files[i].text())) << "switched off, must stay: " << files[i].text();
    } else {
      EXPECT_FALSE(fs::exists(fs::symlink_status(files[i].text())))
          << "should be gone: " << files[i].text();
    }
  }
  // The distractors of the demo home are not Tool's.
  const std::string support = home_ + "/Library/Application Support/";
  EXPECT_TRUE(fs::exists(support + "Tool 2/Tool 2.db"));
  EXPECT_TRUE(fs::exists(home_ + "/Desktop/Tool.txt"));
  EXPECT_TRUE(fs::exists(applications_ + "/My App.app"));

  EXPECT_EQ(control<QLabel>("size")->text(), ui::sizeText(expected));
  EXPECT_EQ(store().integer(keys::kRemoveAppCount), 1);
  EXPECT_EQ(sounds_.played, std::vector<std::string>{"complete"});
  EXPECT_TRUE(delegate_->state().remainder_urls().empty());
  EXPECT_EQ(page<RemoveViewController>()->popover(), nullptr);
}

TEST_F(WorkflowTest, SwitchesKeepTheTotalAndTheRemoveButtonInStep) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::uint64_t total = delegate_->state().common_remove_size();
  std::vector<std::size_t> fileRows;
  for (std::size_t i = 0; i < review->files().size(); ++i) {
    if (review->files()[i].isFileLocation()) fileRows.push_back(i);
  }
  ASSERT_GT(fileRows.size(), 3u);
  // Off and on again leaves the total as it was; Space toggles the current row.
  QListView* list = review->listView();
  list->setFocus();
  list->setCurrentIndex(review->model()->index(static_cast<int>(fileRows[1])));
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_FALSE(switchOn(*review, fileRows[1]));
  EXPECT_LT(delegate_->state().common_remove_size(), total);
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(delegate_->state().common_remove_size(), total);
  // The arrow keys move between rows.
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(list->currentIndex().row(), static_cast<int>(fileRows[2]));

  for (std::size_t row : fileRows) clickSwitch(*review, row);
  EXPECT_FALSE(control("remove")->isEnabled());
  EXPECT_EQ(delegate_->state().common_remove_size(), 0u);
  clickSwitch(*review, fileRows.back());
  EXPECT_TRUE(control("remove")->isEnabled());
}

TEST_F(WorkflowTest, AnotherApplicationsFilesAreShownSwitchedOffAndKept) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList("PhotoForge");
  ASSERT_NE(review, nullptr);
  const std::size_t theirs = rowOf(*review, "Application Support/PhotoForge Pro");
  const std::size_t mine = rowOf(*review, "Application Support/PhotoForge");
  ASSERT_LT(theirs, review->files().size());
  ASSERT_LT(mine, review->files().size());
  const std::string theirsPath = review->files()[theirs].text();
  const std::string minePath = review->files()[mine].text();

  // Shown with whose it is, switched off, and it cannot be switched on.
  const QModelIndex index = review->model()->index(static_cast<int>(theirs));
  EXPECT_FALSE(switchOn(*review, theirs));
  EXPECT_FALSE(index.flags() & Qt::ItemIsEnabled);
  clickSwitch(*review, theirs);
  review->select_to_remove(theirs, true);
  EXPECT_FALSE(review->prepare()[theirs].isFileLocation());
  EXPECT_EQ(index.data(RemainderModel::NoteRole).toString(), "Also used by PhotoForge Pro");
  // The row says why the search listed it.
  EXPECT_FALSE(index.data(Qt::ToolTipRole).toString().isEmpty());

  removeAndWait();
  ASSERT_NE(page<RemoveViewController>(), nullptr);
  EXPECT_TRUE(fs::exists(theirsPath + "/PhotoForge Pro.db"));
  EXPECT_FALSE(fs::exists(minePath));
  // Kept on purpose: not a survivor.
  EXPECT_TRUE(delegate_->state().remainder_urls().empty());
}

// On the Desktop, only what is named exactly after the application starts
// switched on; a look-alike waits for the user, and is kept unless chosen.
TEST_F(WorkflowTest, UncertainEntriesInTheUsersFoldersStartSwitchedOff) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList("Café Menu");
  ASSERT_NE(review, nullptr);
  const std::size_t exact = rowOf(*review, "Desktop/Café Menu");
  // Named with a decomposed "é" by the demo home.
  const std::size_t lookAlike = rowOf(*review, "Desktop/Cafe\xCC\x81 Menu Recipes");
  ASSERT_LT(exact, review->files().size());
  ASSERT_LT(lookAlike, review->files().size());
  EXPECT_TRUE(switchOn(*review, exact));
  EXPECT_FALSE(switchOn(*review, lookAlike));
  const QModelIndex index = review->model()->index(static_cast<int>(lookAlike));
  EXPECT_EQ(index.data(RemainderModel::NoteRole).toString(), "Check before removing");
  EXPECT_FALSE(review->prepare()[lookAlike].isFileLocation());
  const std::string kept = review->files()[lookAlike].text();
  removeAndWait();
  EXPECT_TRUE(fs::exists(kept));
}

TEST_F(WorkflowTest, ARunningCompanionBlocksTheRemoval) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  // A helper whose identifier extends Tool's runs from a bundle of its own.
  const std::string helper = tree_.folder("Helpers/Tool Helper.app");
  fs::create_directories(helper + "/Contents");
  std::ofstream(helper + "/Contents/Info.plist")
      << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
         "<string>com.example.Tool.helper</string></dict></plist>";
  RunningStandIn running(helper, "ToolHelper");

  const std::string bundle = applications_ + "/Tool.app";
  click(control("remove"));
  EXPECT_NE(page<RemainderViewController>(), nullptr);
  QDialog* sheet = openSheet("Launched");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->findChild<QLabel*>("label")->text().contains("Tool"), true);
  EXPECT_TRUE(fs::exists(bundle));
  EXPECT_EQ(store().integer(keys::kRemoveAppCount), 0);
}

TEST_F(WorkflowTest, ADeletionFailureOffersToRevealExactlyTheSurvivors) {
  grantFolders();
  PosixFileSystem real;
  FailingFileSystem failing(real, "Tool Updates");
  launch(&failing);
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::size_t failingRow = rowOf(*review, "Application Support/Tool Updates");
  const std::string survivor = review->files()[failingRow].text();
  const std::uint64_t chosen = delegate_->state().common_remove_size();
  removeAndWait();

  auto* result = page<RemoveViewController>();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(delegate_->state().remainder_urls(), std::vector<std::string>{survivor});
  EXPECT_LT(delegate_->state().common_remove_size(), chosen);
  ASSERT_NE(result->popover(), nullptr);
  EXPECT_EQ(result->popover()->objectName(), "CantRemovePopover");
  click(result->popover()->findChild<QAbstractButton*>("show_in_finder"));
  ASSERT_EQ(viewer_.revealed.size(), 1u);
  EXPECT_EQ(viewer_.revealed[0], std::vector<std::string>{survivor});
}

TEST_F(WorkflowTest, BackReturnsWhereTheReviewWasOpenedFrom) {
  grantFolders();
  launch();
  ASSERT_NE(reviewFromList(), nullptr);
  click(control("back"));
  EXPECT_NE(page<ApplicationsViewController>(), nullptr);

  delegate_->center().post(notifications::kHomeViewController);
  Page* first = controller().currentPage();
  delegate_->center().post(notifications::kHomeViewController);
  EXPECT_NE(controller().currentPage(), first);
  EXPECT_EQ(store().integer(keys::kSheet), 0);

  // Any other value of "sheet" keeps the review where it is.
  delegate_->state().set_item(std::make_shared<ApplicationItem>());
  delegate_->center().post(notifications::kRemainderViewController);
  store().setInteger(keys::kSheet, 2);
  click(control("back"));
  EXPECT_NE(page<RemainderViewController>(), nullptr);
}

void drop(QWidget* target, const QList<QUrl>& urls, bool* accepted) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  // Straight to the drop target, as the window system hands a drag to the
  // widget under the pointer.
  static_cast<QObject*>(target)->event(&enter);
  *accepted = enter.isAccepted();
  if (!*accepted) return;
  QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(target)->event(&dropped);
}

TEST_F(WorkflowTest, DroppingAnApplicationOpensItsReviewAndADocumentIsRefused) {
  grantFolders();
  launch();
  auto* target = dynamic_cast<DragAndDropImageView*>(
      controller().currentPage()->findChild<QLabel*>("drop_target"));
  ASSERT_NE(target, nullptr);
  bool accepted = false;
  drop(target, {QUrl::fromLocalFile(QString::fromStdString(home_ + "/Desktop/Tool.txt"))},
       &accepted);
  EXPECT_FALSE(accepted);
  EXPECT_NE(page<HomeViewController>(), nullptr);

  // Two at once: only the first counts.
  drop(target,
       {QUrl::fromLocalFile(QString::fromStdString(applications_ + "/Tool.app")),
        QUrl::fromLocalFile(QString::fromStdString(applications_ + "/My App.app"))},
       &accepted);
  EXPECT_TRUE(accepted);
  RemainderViewController* review = waitForReview();
  ASSERT_NE(review, nullptr);
  EXPECT_EQ(delegate_->state().item()->label, "Tool");
  click(control("back"));
  EXPECT_NE(page<HomeViewController>(), nullptr);
}

}  // namespace
}  // namespace vimbrel::testing
