#include <QAbstractButton>
#include <QLineEdit>
#include <QListView>

#include "WindowsFixture.h"
#include "app/ui/MainStoryboard.h"

namespace vimbrel {
namespace {

class AccessibilityTest : public testing::WindowsFixture {};

// Every control of the preferences, the extension pages and their sheets and
// popovers says what it is to assistive tools, and tests find it by its
// action or outlet name.
TEST_F(AccessibilityTest, EveryControlHasAnAccessibleNameAndAnObjectName) {
  launch();
  for (const char* identifier :
       {"PreferencesMain", "PreferencesSpider", "Extensions", "Plugins", "PrefPanes",
        "SafariExtensions", "InstalledBundles", "InstalledPrefpanes", "InstalledSafariExtensions",
        "MorePlugins", "MorePrefpanes", "LaunchedSafariExtensions", "BundleCantRemove"}) {
    std::unique_ptr<QWidget> widget(
        delegate_->storyboard().instantiateControllerWithIdentifier(identifier));
    ASSERT_TRUE(widget) << identifier;
    EXPECT_EQ(widget->objectName(), identifier);
    std::vector<QWidget*> controls;
    for (auto* button : widget->findChildren<QAbstractButton*>()) controls.push_back(button);
    for (auto* field : widget->findChildren<QLineEdit*>()) controls.push_back(field);
    for (auto* list : widget->findChildren<QListView*>()) controls.push_back(list);
    EXPECT_FALSE(controls.empty()) << identifier;
    for (QWidget* control : controls) {
      const auto* button = qobject_cast<QAbstractButton*>(control);
      const QString name = control->accessibleName().isEmpty() && button != nullptr
                               ? button->text()
                               : control->accessibleName();
      EXPECT_FALSE(name.trimmed().isEmpty())
          << identifier << ": " << control->metaObject()->className() << " "
          << control->objectName().toStdString();
      EXPECT_FALSE(control->objectName().isEmpty())
          << identifier << ": " << control->metaObject()->className() << " " << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace vimbrel
