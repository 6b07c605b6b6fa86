// How the pages look to a new user: readable under a dark palette, nothing
// cut or overlapping at the smallest window size, no English left in German.
#include <QAbstractScrollArea>
#include <QFile>
#include <QLabel>
#include <QToolButton>
#include <QTranslator>
#include <QXmlStreamReader>
#include <cmath>
#include <map>

#include "WindowFixture.h"
#include "app/ui/ExtensionListViewController.h"
#include "app/ui/PreferencesWindowController.h"

static void registerTranslations() { Q_INIT_RESOURCE(vimbrel_translations); }

namespace vimbrel::testing {
namespace {

double luminance(QRgb pixel) {
  const auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel)) +
         0.0722 * channel(qBlue(pixel));
}

double contrast(QRgb a, QRgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a widget's text as rendered: its background is the colour
// most of its pixels have, its text the pixel farthest from it.
double renderedContrast(const QImage& page, const QRect& box) {
  std::map<QRgb, int> counts;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) ++counts[page.pixel(x, y) | 0xff000000];
  }
  QRgb background = 0;
  int most = -1;
  for (const auto& [colour, count] : counts) {
    if (count > most) most = count, background = colour;
  }
  double best = 1.0;
  for (const auto& [colour, count] : counts) best = std::max(best, contrast(colour, background));
  return best;
}

QString shownText(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  // An icon-only tool button (a field's clear button) names itself but shows no text.
  if (auto* tool = qobject_cast<QToolButton*>(widget);
      tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonIconOnly) {
    return {};
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

bool insideScrollArea(QWidget* widget, QWidget* page) {
  for (QWidget* up = widget->parentWidget(); up != nullptr && up != page; up = up->parentWidget()) {
    if (qobject_cast<QAbstractScrollArea*>(up) != nullptr) return true;
  }
  return false;
}

class LookTest : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    ui::useColorScheme(ui::ColorScheme::Light);
  }

  // Launches with both folders granted and calls `check` on each page.
  template <typename Check>
  void visitPages(Check check) {
    grantFolders();
    store().setInteger(keys::kAllowAny, 1);
    store().setBlob(keys::kMacOS, createGrant(root_));
    launch();
    check("Home");
    delegate_->center().post(notifications::kApplicationsViewController);
    check("Applications");
    auto* list = page<ApplicationsViewController>();
    ASSERT_NE(list, nullptr);
    selectLabel(*list, "Tool");
    click(control("remainder_next"));
    ASSERT_NE(waitForReview(), nullptr);
    check("Remainder");
    delegate_->center().post(notifications::kRemoveViewController);
    check("Remove");
    delegate_->center().post(notifications::kExtensionsViewController);
    check("Extensions");
    for (const char* list_ :
         {notifications::kPluginsViewController, notifications::kPrefpanesViewController,
          notifications::kSafariExtensionsViewController}) {
      delegate_->center().post(list_);
      for (QWidget* sheet : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(sheet)) sheet->close();
      }
      check(controller().currentPage()->objectName().toStdString().c_str());
    }
  }

  // The Folders page of Preferences, shown; null when it cannot be.
  QWidget* showFolders() {
    auto* preferences = dynamic_cast<PreferencesWindowController*>(delegate_->preferences());
    if (preferences == nullptr) return nullptr;
    delegate_->showPreferences();
    preferences->selectPage("PreferencesFolders");
    QApplication::processEvents();
    return preferences->currentPage();
  }
};

TEST_F(LookTest, EveryTextReadsUnderADarkPalette) {
  ui::useColorScheme(ui::ColorScheme::Dark);
  const auto checkPage = [&](const char* name, QWidget* current) {
    QWidget* top = current->window();
    const QImage picture = top->grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    for (QWidget* widget : current->findChildren<QWidget*>()) {
      if (!widget->isVisible() || !widget->isEnabled() || shownText(widget).isEmpty()) continue;
      // Only the part that shows: rows scrolled half out are clipped.
      const QRect shown = widget->visibleRegion().boundingRect();
      if (shown.height() < widget->height()) continue;
      const QRect box((widget->mapTo(top, shown.topLeft())) * ratio, shown.size() * ratio);
      const QRect clipped = box.intersected(picture.rect());
      if (clipped.isEmpty()) continue;
      EXPECT_GE(renderedContrast(picture, clipped), 4.5)
          << name << ": " << shownText(widget).toStdString();
    }
  };
  visitPages([&](const char* name) {
    QApplication::processEvents();
    checkPage(name, controller().currentPage());
  });
  QWidget* folders = showFolders();
  ASSERT_NE(folders, nullptr);
  checkPage("Folders", folders);
}

TEST_F(LookTest, AtTheSmallestWindowNothingIsCutOrOverlaps) {
  visitPages([&](const char* name) {
    window().resize(window().minimumSize());
    QApplication::processEvents();
    Page* current = controller().currentPage();
    ASSERT_EQ(window().size(), QSize(640, 480));
    for (QWidget* widget : current->findChildren<QWidget*>()) {
      if (!widget->isVisible() || insideScrollArea(widget, current)) continue;
      const QRect box(widget->mapTo(current, QPoint(0, 0)), widget->size());
      const std::string what = std::string(name) + ": " + widget->metaObject()->className() + " " +
                               widget->objectName().toStdString() + " \"" +
                               shownText(widget).toStdString() + "\"";
      EXPECT_TRUE(current->rect().contains(box)) << what << " lies outside the page";
      if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << what << " is cut";
      }
      for (QObject* other : widget->parentWidget()->children()) {
        auto* sibling = qobject_cast<QWidget*>(other);
        if (sibling == nullptr || sibling == widget || !sibling->isVisible() ||
            sibling->isWindow() || sibling < widget) {
          continue;
        }
        EXPECT_FALSE(sibling->geometry().intersects(widget->geometry()))
            << what << " overlaps " << sibling->objectName().toStdString();
      }
    }
  });
}

TEST_F(LookTest, TheGermanPagesShowNoEnglishText) {
  // Source and translation of every message the window has.
  QFile ts(QStringLiteral(VIMBREL_TRANSLATIONS_SOURCE) + "/Vimbrel_de.ts");
  ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
  std::map<QString, QString> german;
  QXmlStreamReader xml(&ts);
  QString source;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"source") source = xml.readElementText();
    if (xml.name() == u"translation") {
      const bool unfinished = xml.attributes().value("type") == u"unfinished";
      const QString translation = xml.readElementText();
      EXPECT_FALSE(unfinished || translation.isEmpty()) << source.toStdString();
      german[source] = translation;
    }
  }
  ASSERT_GT(german.size(), 100u);

  registerTranslations();
  QTranslator translator;
  ASSERT_TRUE(translator.load(":/vimbrel/translations/Vimbrel_de.qm"));
  QCoreApplication::installTranslator(&translator);
  const auto checkPage = [&](const char* name, QWidget* current) {
    for (QWidget* widget : current->findChildren<QWidget*>()) {
      if (!widget->isVisible()) continue;
      const QString text = shownText(widget);
      const auto english = german.find(text);
      EXPECT_TRUE(english == german.end() || english->second == text)
          << name << " shows English: " << text.toStdString();
    }
  };
  visitPages([&](const char* name) {
    QApplication::processEvents();
    checkPage(name, controller().currentPage());
  });
  QWidget* folders = showFolders();
  EXPECT_NE(folders, nullptr);
  if (folders != nullptr) checkPage("Folders", folders);
  QCoreApplication::removeTranslator(&translator);
}

}  // namespace
}  // namespace vimbrel::testing
