#include <QFileDialog>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include "WindowFixture.h"
#include "platform/ui/GlobalShortcut.h"
#include "platform/ui/IconProvider.h"
#include "platform/ui/QtFolderChooser.h"

namespace vimbrel::testing {
namespace {

class PlatformUiTest : public WindowTest {};

TEST_F(PlatformUiTest, BundlesShowTheImageTheirInfoNames) {
  ThemeIconProvider icons;
  const std::string tool = applications_ + "/Tool.app";
  const std::string named = ThemeIconProvider::bundleIconFile(tool);
  ASSERT_FALSE(named.empty());
  EXPECT_TRUE(QString::fromStdString(named).contains("/Contents/Resources/ToolIcon"));
  EXPECT_FALSE(icons.imageFromFile(named).isNull());
  EXPECT_FALSE(icons.iconForFile(tool).isNull());
  EXPECT_TRUE(icons.imageFromFile(tree_.path("missing.icns")).isNull());
  // A plain folder that is not a package is no bundle.
  EXPECT_TRUE(ThemeIconProvider::bundleIconFile(home_).empty());
}

TEST_F(PlatformUiTest, TheFolderPanelChoosesOneFolder) {
  QtFolderChooser chooser;
  const QString wanted = QString::fromStdString(applications_);
  QTimer::singleShot(50, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(dialog->windowTitle(), "Allow access");
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Allow");
    dialog->setDirectory(wanted);
    static_cast<QDialog*>(dialog)->accept();
  });
  const auto chosen = chooser.chooseFolder({"Allow access", "Allow", root_});
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, applications_);

  QTimer::singleShot(50, [] {
    if (QWidget* dialog = QApplication::activeModalWidget())
      static_cast<QDialog*>(dialog)->reject();
  });
  EXPECT_FALSE(chooser.chooseFolder({"Allow access", "Allow", root_}).has_value());
}

TEST_F(PlatformUiTest, WithoutAnX11DisplayTheShortcutBelongsToTheWindow) {
  QWidget window;
  int fired = 0;
  auto shortcut =
      createGlobalShortcut(&window, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), [&] { ++fired; });
  EXPECT_FALSE(shortcut->isSystemWide());
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(fired, 1);
}

TEST_F(PlatformUiTest, ReviewRowsNameCookiesAndHelpAndKeepTheTotalWhileScrolling) {
  grantFolders();
  launch();
  RemainderViewController* review = reviewFromList();
  ASSERT_NE(review, nullptr);
  const std::uint64_t total = delegate_->state().common_remove_size();
  QStringList names;
  for (int row = 0; row < review->model()->rowCount(); ++row) {
    names << review->model()->index(row).data().toString();
  }
  EXPECT_TRUE(names.contains("Cookie files"));
  EXPECT_TRUE(names.contains("Help files"));
  auto* area = review->findChild<QAbstractScrollArea*>("tableviewR");
  ASSERT_NE(area, nullptr);
  area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
  area->verticalScrollBar()->setValue(0);
  EXPECT_EQ(delegate_->state().common_remove_size(), total);
  // Every reveal button shows just its own row.
  const std::size_t plist = rowOf(*review, "Preferences/com.example.Tool.plist");
  QListView* list = review->listView();
  const QModelIndex index = review->model()->index(static_cast<int>(plist));
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    RemainderRowDelegate::revealRect(list->visualRect(index)).center());
  ASSERT_EQ(viewer_.revealed.size(), 1u);
  EXPECT_EQ(viewer_.revealed[0], std::vector<std::string>{review->files()[plist].text()});
}

}  // namespace
}  // namespace vimbrel::testing
