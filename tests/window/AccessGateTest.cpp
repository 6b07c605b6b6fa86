#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "WindowFixture.h"

namespace vimbrel::testing {
namespace {

// The first-run sheet: it can neither be skipped nor end the program by a
// stray Return, and a refused folder says why.
class AccessGateTest : public WindowTest {
 protected:
  QDialog* gate() {
    QDialog* sheet = openSheet("Sandbox");
    EXPECT_NE(sheet, nullptr);
    return sheet;
  }
  QPushButton* button(QDialog* sheet, const char* name) {
    return sheet->findChild<QPushButton*>(name);
  }
};

TEST_F(AccessGateTest, ReturnGrantsTheFirstNeededFolderAndNeverQuits) {
  launch();
  QDialog* sheet = gate();
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(button(sheet, "allowHome")->isDefault());
  EXPECT_FALSE(button(sheet, "exit")->isDefault());
  EXPECT_FALSE(button(sheet, "exit")->autoDefault());

  chooser_.answers = {home_};
  QTest::keyClick(sheet, Qt::Key_Return);
  EXPECT_EQ(terminateRequests_, 0);
  EXPECT_FALSE(endedWith_.has_value());
  EXPECT_FALSE(button(sheet, "allowHome")->isEnabled());
  // The next Return goes to the Applications folder, still not to Quit.
  EXPECT_TRUE(button(sheet, "allowApplication")->isDefault());
  EXPECT_EQ(QApplication::focusWidget() == button(sheet, "exit"), false);
  chooser_.answers = {applications_};
  QTest::keyClick(sheet, Qt::Key_Return);
  EXPECT_EQ(terminateRequests_, 0);
  EXPECT_FALSE(sheet->isVisible());
}

TEST_F(AccessGateTest, EscapeDoesNothingAndClosingQuits) {
  launch();
  QDialog* sheet = gate();
  ASSERT_NE(sheet, nullptr);
  QTest::keyClick(sheet, Qt::Key_Escape);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(terminateRequests_, 0);

  QCloseEvent close;
  QApplication::sendEvent(sheet, &close);
  EXPECT_FALSE(close.isAccepted());
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(terminateRequests_, 1);
  EXPECT_EQ(endedWith_, 0);
}

TEST_F(AccessGateTest, AWrongFolderSaysWhyUnderItsButtonAndTheSheetStays) {
  launch();
  QDialog* sheet = gate();
  ASSERT_NE(sheet, nullptr);
  auto* problem = sheet->findChild<QLabel*>("homeProblem");
  ASSERT_NE(problem, nullptr);
  EXPECT_FALSE(problem->isVisible());
  chooser_.answers = {tree_.folder("Elsewhere")};
  click(button(sheet, "allowHome"));
  EXPECT_TRUE(problem->isVisible());
  EXPECT_TRUE(problem->text().contains("must be called \"tester\""))
      << problem->text().toStdString();
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_FALSE(store().blob(keys::kHome).has_value());
  EXPECT_TRUE(button(sheet, "allowHome")->isEnabled());

  // The right folder clears the message.
  chooser_.answers = {home_};
  click(button(sheet, "allowHome"));
  EXPECT_FALSE(problem->isVisible());
  EXPECT_FALSE(button(sheet, "allowHome")->isEnabled());
}

}  // namespace
}  // namespace vimbrel::testing
