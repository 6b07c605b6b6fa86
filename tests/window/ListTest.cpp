#include <QLineEdit>
#include <QListView>

#include "WindowFixture.h"

namespace vimbrel::testing {
namespace {

class ListTest : public WindowTest {
 protected:
  ApplicationsViewController* openList() {
    grantFolders();
    launch();
    delegate_->center().post(notifications::kApplicationsViewController);
    return page<ApplicationsViewController>();
  }
  static std::vector<std::string> labels(const ApplicationsViewController& list) {
    std::vector<std::string> shown;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
      shown.push_back(list.model()->recordAt(row)->label);
    }
    return shown;
  }
};

TEST_F(ListTest, FilterIgnoresCaseAndAccentsAndClearingRestoresCatalogOrder) {
  auto* list = openList();
  ASSERT_NE(list, nullptr);
  const auto all = labels(*list);
  ASSERT_GT(all.size(), 5u);
  auto* field = control<QLineEdit>("search_field");
  ASSERT_NE(field, nullptr);

  QTest::keyClicks(field, "tool");
  EXPECT_EQ(labels(*list), std::vector<std::string>{"Tool"});
  field->setText("CAFE");
  EXPECT_EQ(labels(*list), std::vector<std::string>{"Café Menu"});
  field->setText("zzz-nothing");
  EXPECT_TRUE(labels(*list).empty());
  field->clear();
  EXPECT_EQ(labels(*list), all);
}

TEST_F(ListTest, AFilteredOutSelectionStaysTheItemAndNextReviewsIt) {
  auto* list = openList();
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(control("remainder_next")->isEnabled());
  selectLabel(*list, "Tool");
  EXPECT_TRUE(control("remainder_next")->isEnabled());
  control<QLineEdit>("search_field")->setText("Photo");
  EXPECT_EQ(delegate_->state().item()->label, "Tool");
  click(control("remainder_next"));
  auto* review = waitForReview();
  ASSERT_NE(review, nullptr);
  EXPECT_EQ(delegate_->state().item()->label, "Tool");
}

TEST_F(ListTest, KeyboardPicksAndOpensAReview) {
  auto* list = openList();
  ASSERT_NE(list, nullptr);
  // Ctrl+F focuses the filter; Down goes to the list; Return opens the review.
  QTest::keyClick(list->tableviewA(), Qt::Key_F, Qt::ControlModifier);
  auto* field = control<QLineEdit>("search_field");
  EXPECT_TRUE(field->hasFocus());
  QTest::keyClicks(field, "blink");
  QTest::keyClick(field, Qt::Key_Down);
  EXPECT_TRUE(list->tableviewA()->hasFocus());
  EXPECT_EQ(labels(*list), std::vector<std::string>{"Blinker"});
  ASSERT_NE(delegate_->state().item(), nullptr);
  EXPECT_EQ(delegate_->state().item()->label, "Blinker");
  QTest::keyClick(list->tableviewA(), Qt::Key_Return);
  EXPECT_NE(page<RemainderViewController>(), nullptr);
}

TEST_F(ListTest, AnEmptyCatalogShowsTheInstalledAppsSheet) {
  store().setBlob(keys::kHome, createGrant(home_));
  store().setBlob(keys::kApplications, createGrant(tree_.folder("Empty/Applications")));
  launch();
  delegate_->center().post(notifications::kApplicationsViewController);
  ASSERT_NE(page<ApplicationsViewController>(), nullptr);
  EXPECT_EQ(page<ApplicationsViewController>()->model()->rowCount(), 0);
  EXPECT_NE(openSheet("Installedapps"), nullptr);
}

}  // namespace
}  // namespace vimbrel::testing
