#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTimer>

#include "WindowFixture.h"
#include "app/ui/Prompts.h"

namespace vimbrel::testing {
namespace {

class PromptsTest : public WindowTest {
 protected:
  // Shows the result page of a removal that left nothing behind.
  RemoveViewController* showResult() {
    auto item = std::make_shared<ApplicationItem>();
    item->label = "Blinker";
    delegate_->state().set_item(item);
    delegate_->state().set_remainder_urls({});
    delegate_->center().post(notifications::kRemoveViewController);
    return page<RemoveViewController>();
  }
};

TEST_F(PromptsTest, TheTenthRemovalAsksForARatingUntilTheUserAnswers) {
  grantFolders();
  store().setInteger(keys::kRemoveAppCount, 9);
  launch();
  RemoveViewController* result = showResult();
  ASSERT_NE(result, nullptr);
  ASSERT_NE(result->popover(), nullptr);
  EXPECT_EQ(result->popover()->findChild<QLabel*>("label")->text(),
            "You have removed 10 apps. Do you enjoy Vimbrel?");
  // "Not now" records nothing.
  click(result->popover()->findChild<QAbstractButton*>("no"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return result->popover() == nullptr; }, 2000));
  EXPECT_EQ(store().integer(keys::kAppIsRate), 0);

  store().setInteger(keys::kRemoveAppCount, 19);
  result = showResult();
  ASSERT_NE(result->popover(), nullptr);
  click(result->popover()->findChild<QAbstractButton*>("Dislike"));
  EXPECT_EQ(store().integer(keys::kAppIsRate), 1);
  EXPECT_EQ(opener_.opened, std::vector<std::string>{links::kStorePage});

  // Rated: never again, whatever the counters say.
  store().setInteger(keys::kRemoveAppCount, 29);
  store().setInteger(keys::kAppLaunchCount, 10);
  result = showResult();
  EXPECT_EQ(result->popover(), nullptr);
  EXPECT_EQ(result->rateSheet(), nullptr);
  EXPECT_EQ(store().integer(keys::kRemoveAppCount), 30);
}

TEST_F(PromptsTest, TheTenthLaunchAsksAfterARemovalAndFailuresComeFirst) {
  grantFolders();
  store().setInteger(keys::kAppLaunchCount, 9);  // this launch is the 10th
  launch();
  RemoveViewController* result = showResult();
  ASSERT_NE(result->rateSheet(), nullptr);
  EXPECT_EQ(result->rateSheet()->findChild<QLabel*>("text")->text(),
            "You have used Vimbrel 10 times. Do you like it?");
  click(result->rateSheet()->findChild<QAbstractButton*>("yesApp"));
  EXPECT_EQ(store().integer(keys::kAppIsRate), 1);

  // A survivor that still exists takes precedence over everything, also on a 10th removal.
  store().setInteger(keys::kRemoveAppCount, 9);
  auto item = std::make_shared<ApplicationItem>();
  delegate_->state().set_item(item);
  delegate_->state().set_remainder_urls({home_ + "/Desktop/Tool.txt"});
  delegate_->center().post(notifications::kRemoveViewController);
  ASSERT_NE(page<RemoveViewController>()->popover(), nullptr);
  EXPECT_EQ(page<RemoveViewController>()->popover()->objectName(), "CantRemovePopover");
}

TEST_F(PromptsTest, TheAccessSheetShowsAtEveryAppearanceUntilBothFoldersAreGranted) {
  launch();
  QDialog* sheet = openSheet("Sandbox");
  ASSERT_NE(sheet, nullptr);
  // Without both folders the framework's e-mail prompt is never asked for.
  EXPECT_TRUE(emailPrompts_.empty());
  EXPECT_EQ(store().integer(keys::kPresentAsSheet), 1);
  EXPECT_EQ(store().integer(keys::kSandbox), 0);
  sheet->hide();
  window().hide();
  window().show();
  sheet = openSheet("Sandbox");
  ASSERT_NE(sheet, nullptr);

  chooser_.answers = {home_, applications_};
  auto* allowHome = sheet->findChild<QAbstractButton*>("allowHome");
  click(allowHome);
  EXPECT_FALSE(allowHome->isEnabled());
  EXPECT_TRUE(sheet->isVisible());
  click(sheet->findChild<QAbstractButton*>("allowApplication"));
  EXPECT_FALSE(sheet->isVisible());

  // Quitting while the sheet was shown ends the process directly.
  delegate_->terminateApp();
  EXPECT_EQ(terminateRequests_, 1);
  EXPECT_EQ(endedWith_, 0);

  window().hide();
  window().show();
  EXPECT_EQ(openSheet("Sandbox"), nullptr);
  EXPECT_EQ(store().integer(keys::kSandbox), 1);
  EXPECT_EQ(store().integer(keys::kPresentAsSheet), 0);
  // With both, each appearance asks; the framework's schedule decides.
  EXPECT_EQ(emailPrompts_,
            std::vector<std::string>{
                "3 launches | Subscribe to learn more about Vimbrel and more features."});
}

TEST_F(PromptsTest, TheShortcutPresentsTheWholeDiskSheet) {
  grantFolders();
  launch();
  QApplication::setActiveWindow(&window());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  QTest::keyClick(&window(), Qt::Key_U, Qt::ControlModifier | Qt::AltModifier);
  QDialog* sheet = openSheet("OptionalPreferences");
  ASSERT_NE(sheet, nullptr);
  chooser_.answers = {"/"};
  click(sheet->findChild<QAbstractButton*>("AllowmacOS"));
  EXPECT_EQ(store().integer(keys::kAllowAny), 1);
  EXPECT_FALSE(sheet->findChild<QAbstractButton*>("AllowmacOS")->isEnabled());
}

TEST_F(PromptsTest, AboutOpensTheStoreTheSiteAndTheAcknowledgements) {
  grantFolders();
  launch();
  delegate_->showAbout();
  QWidget* about = delegate_->about();
  ASSERT_NE(about, nullptr);
  click(about->findChild<QAbstractButton*>("HomePage"));
  click(about->findChild<QAbstractButton*>("maker_app"));
  click(about->findChild<QAbstractButton*>("Acknowledgements"));
  ASSERT_EQ(opener_.opened.size(), 3u);
  EXPECT_EQ(opener_.opened[0], links::kMakerSite);
  EXPECT_EQ(opener_.opened[1], links::kMakerApp);
  EXPECT_TRUE(QString::fromStdString(opener_.opened[2]).endsWith("Acknowledgements.rtf"));
}

// Every control says what it is to a screen reader and carries its action's name.
void expectNamed(QWidget* root) {
  ASSERT_NE(root, nullptr);
  QList<QWidget*> controls;
  for (auto* button : root->findChildren<QAbstractButton*>()) controls << button;
  for (auto* field : root->findChildren<QLineEdit*>()) controls << field;
  for (auto* view : root->findChildren<QAbstractItemView*>()) controls << view;
  for (QWidget* control : controls) {
    if (control->parent() != nullptr && control->parent()->inherits("QLineEdit")) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).trimmed().isEmpty())
        << root->objectName().toStdString() << ": " << control->metaObject()->className() << " "
        << control->objectName().toStdString();
    EXPECT_FALSE(control->objectName().isEmpty())
        << root->objectName().toStdString() << ": " << control->metaObject()->className() << " "
        << accessible->text(QAccessible::Name).toStdString();
  }
}

TEST_F(PromptsTest, EveryControlOfTheTourHasItsNames) {
  launch();
  expectNamed(openSheet("Sandbox"));
  openSheet("Sandbox")->hide();
  grantFolders();
  expectNamed(controller().currentPage());
  expectNamed(controller().findChild<QAbstractButton*>("main_menu")->parentWidget());
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  expectNamed(review);
  const std::size_t plist = rowOf(*review, "Preferences/com.example.Tool.plist");
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(review->listView());
  ASSERT_NE(list, nullptr);
  QAccessibleInterface* row = list->child(static_cast<int>(plist));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->text(QAccessible::Name), "Remove com.example.Tool.plist in Preferences");
  EXPECT_EQ(row->role(), QAccessible::CheckBox);
  delegate_->center().post(notifications::kApplicationsViewController);
  expectNamed(controller().currentPage());
  for (const char* sheet : {"Installedapps", "Launched", "RateAppCount", "OptionalPreferences"}) {
    QDialog* dialog = controller().presentSheet(sheet);
    expectNamed(dialog);
    dialog->close();
  }
  for (const char* content : {"CantRemove", "RateApp", "About"}) {
    std::unique_ptr<QWidget> widget(
        delegate_->storyboard().instantiateControllerWithIdentifier(content));
    expectNamed(widget.get());
  }
  expectNamed(showResult());
}

// The main menu opens through the button's accessibility action and returns
// at once, so that a screen reader finds the menu in the tree.
TEST_F(PromptsTest, TheMainMenuOpensThroughItsAccessibilityAction) {
  grantFolders();
  launch();
  auto* button = controller().findChild<QAbstractButton*>("main_menu");
  ASSERT_NE(button, nullptr);
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
  ASSERT_TRUE(accessible && accessible->actionInterface());
  QMenu* menu = button->findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QTimer::singleShot(5000, menu, [menu] { menu->close(); });  // never hang the suite
  accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 3000));
  EXPECT_NE(menu->findChild<QAction*>("showPreferences"), nullptr);
  menu->close();
}

}  // namespace
}  // namespace vimbrel::testing
