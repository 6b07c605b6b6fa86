#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include "RTKTransparentWindow.h"
#include "RVLButtonCell.h"
#include "RVLCPTextField.h"
#include "RVLStarRating.h"
#include "RavellTestSupport.h"
#include "ravell/RavellToolKit.h"

namespace vimbrel {
namespace {

QImage solid(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(colour);
  return image;
}

// Five stars of 20 x 20 in a control 140 wide with a margin of 10.
class StarRatingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stars_.setStarImage(solid(20, 20, Qt::white));
    stars_.setStarHighlightedImage(solid(20, 20, Qt::red));
    stars_.resize(140, 30);
  }
  RVLStarRating stars_;
};

TEST_F(StarRatingTest, GeometryAndDefaults) {
  EXPECT_EQ(stars_.maxRating(), 5);
  EXPECT_EQ(stars_.rating(), 0.0F);
  EXPECT_EQ(stars_.horizontalMargin(), 10.0);
  EXPECT_EQ(stars_.displayMode(), 0u);
  EXPECT_FLOAT_EQ(stars_.halfStarThreshold(), 0.6F);
  EXPECT_FALSE(stars_.editable());
  const double expected[] = {10, 35, 60, 85, 110};
  for (int i = 0; i < 5; ++i) {
    EXPECT_DOUBLE_EQ(stars_.pointOfStarAtPosition(i, false).x(), expected[i]) << i;
    EXPECT_DOUBLE_EQ(stars_.pointOfStarAtPosition(i, true).y(), 5);
  }
  // Stars that do not fit sit edge to edge; one star has no gap.
  stars_.resize(90, 30);
  EXPECT_DOUBLE_EQ(stars_.pointOfStarAtPosition(3, false).x(), 70);
  stars_.setMaxRating(1);
  EXPECT_DOUBLE_EQ(stars_.pointOfStarAtPosition(0, false).x(), 10);
}

TEST_F(StarRatingTest, PointsBecomeWholeOrHalfStars) {
  const QPointF fortyPercentIntoThird(60 + 8, 15);
  EXPECT_FLOAT_EQ(stars_.starsForPoint(fortyPercentIntoThird), 3);
  stars_.setDisplayMode(RVLStarRating::Half);
  EXPECT_FLOAT_EQ(stars_.starsForPoint(fortyPercentIntoThird), 2.5F);
  EXPECT_FLOAT_EQ(stars_.starsForPoint(QPointF(60 + 15, 15)), 3);
  EXPECT_FLOAT_EQ(stars_.starsForPoint(QPointF(5, 15)), 0);
}

TEST_F(StarRatingTest, ExactModeFillsTheFraction) {
  stars_.setDisplayMode(RVLStarRating::Accurate);
  stars_.setRating(2.3F);
  const QImage drawn = stars_.grab().toImage();
  const auto red = [&](int x) { return QColor(drawn.pixel(x, 15)) == QColor(Qt::red); };
  EXPECT_TRUE(red(15));       // First star.
  EXPECT_TRUE(red(35 + 19));  // Second star, whole.
  EXPECT_TRUE(red(60 + 4));   // 30 % of the third.
  EXPECT_FALSE(red(60 + 8));
  EXPECT_FALSE(red(85 + 10));
}

TEST_F(StarRatingTest, MouseChangesOnlyAnEditableControlAndReports) {
  QTest::mouseClick(&stars_, Qt::LeftButton, {}, QPoint(90, 15));
  EXPECT_EQ(stars_.rating(), 0.0F);
  stars_.setEditable(true);
  QStringList reports;
  struct Delegate : RVLStarRatingProtocol {
    QStringList* reports;
    void starsSelectionChanged(RVLStarRating*, float rating) override {
      *reports << QStringLiteral("delegate %1").arg(double(rating));
    }
  } delegate;
  delegate.reports = &reports;
  stars_.setReturnBlock(
      [&](float rating) { reports << QStringLiteral("block %1").arg(double(rating)); });
  stars_.setDelegate(&delegate);  // Clears the block.
  QTest::mouseClick(&stars_, Qt::LeftButton, {}, QPoint(90, 15));
  EXPECT_EQ(stars_.rating(), 4.0F);
  stars_.setReturnBlock(
      [&](float rating) { reports << QStringLiteral("block %1").arg(double(rating)); });
  QTest::mouseClick(&stars_, Qt::LeftButton, {}, QPoint(40, 15));
  EXPECT_EQ(reports, (QStringList{"delegate 4", "block 2"}));
  QTest::mouseClick(&stars_, Qt::RightButton, {}, QPoint(130, 15));
  EXPECT_EQ(stars_.rating(), 2.0F);
}

TEST_F(StarRatingTest, KeysAndTheAccessibleValueRateAsTheMouseDoes) {
  QStringList reports;
  stars_.setReturnBlock([&](float rating) { reports << QString::number(double(rating)); });
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&stars_);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Slider);
  QAccessibleValueInterface* value = accessible->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->maximumValue().toDouble(), 5.0);
  // Read-only until editable: neither keys nor the value change it.
  QTest::keyClick(&stars_, Qt::Key_Right);
  value->setCurrentValue(3);
  EXPECT_EQ(stars_.rating(), 0.0F);

  stars_.setEditable(true);
  value->setCurrentValue(3);
  EXPECT_EQ(stars_.rating(), 3.0F);
  EXPECT_EQ(value->currentValue().toDouble(), 3.0);
  EXPECT_EQ(accessible->text(QAccessible::Value), "3 / 5");
  QTest::keyClick(&stars_, Qt::Key_Right);
  QTest::keyClick(&stars_, Qt::Key_Right);
  QTest::keyClick(&stars_, Qt::Key_Right);  // stays at five
  EXPECT_EQ(stars_.rating(), 5.0F);
  QTest::keyClick(&stars_, Qt::Key_Home);
  QTest::keyClick(&stars_, Qt::Key_Left);  // one star at least
  EXPECT_EQ(stars_.rating(), 1.0F);
  EXPECT_EQ(reports, (QStringList{"3", "4", "5", "5", "1", "1"}));
}

TEST(RVLCPTextField, ClipboardShortcutsNeedFocusAndASelection) {
  QWidget window;
  auto* field = new RVLCPTextField(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  field->setFocus();
  // The shortcuts need keyboard focus, which a bare X server without a window
  // manager never gives; the off-screen platform always does.
  if (!QTest::qWaitForWindowActive(&window, 2000)) GTEST_SKIP() << "window cannot become active";
  field->setText(QStringLiteral("hello world"));
  const QKeyEvent copyKey(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  EXPECT_FALSE(field->performKeyEquivalent(&copyKey));  // Nothing selected.

  field->setSelection(0, 5);
  QApplication::clipboard()->clear();
  QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "hello");
  QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(field->text(), " world");
  field->setCursorPosition(int(field->text().size()));
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), " worldhello");
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field->text(), " world");
  const QKeyEvent other(QEvent::KeyPress, Qt::Key_B, Qt::ControlModifier);
  EXPECT_FALSE(field->performKeyEquivalent(&other));
  const QKeyEvent plainV(QEvent::KeyPress, Qt::Key_V, Qt::NoModifier);
  EXPECT_FALSE(field->performKeyEquivalent(&plainV));
}

TEST(RVLButtonCell, LongTitlesShrinkUntilTheyFit) {
  RVLButtonCell button(QStringLiteral("Send Feedback"));
  const QFont font = button.font();
  EXPECT_EQ(RVLButtonCell::fittingPointSize(font, button.text(), 400), font.pointSizeF());
  const qreal shrunk = RVLButtonCell::fittingPointSize(font, button.text(), 60);
  EXPECT_LT(shrunk, font.pointSizeF());
  QFont fitted = font;
  fitted.setPointSizeF(shrunk);
  EXPECT_LE(QFontMetricsF(fitted).horizontalAdvance(button.text()), 50);
}

// Every prompt window, built as the application's tour builds it: named, every
// control named for assistive technology, and drawn to a PNG for review.
class PromptWindowTest : public testing::RavellTest {
 protected:
  void SetUp() override {
    RavellTest::SetUp();
    ASSERT_TRUE(config_.isValid());
    setenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).constData(), 1);
    QCoreApplication::setApplicationName(QStringLiteral("Vimbrel"));
  }
  QTemporaryDir config_;
};

TEST_F(PromptWindowTest, EveryWindowIsNamedAccessibleAndDrawn) {
  const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/prompt-shots-") +
                        QGuiApplication::platformName();
  QDir().mkpath(shots);
  for (const char* name : {"RTKHappinessWindow", "RTKRateWindow", "RTKFeedbackWindow",
                           "RTKThanksWindow", "EmailAlert"}) {
    std::unique_ptr<QWidget> window(
        RavellToolKit::sharedInstance().buildPromptWindow(QLatin1String(name)));
    ASSERT_NE(window, nullptr) << name;
    EXPECT_EQ(window->objectName(), QLatin1String(name));
    // A screen reader reads the title: human text, never the class.
    EXPECT_FALSE(window->windowTitle().isEmpty()) << name;
    EXPECT_NE(window->windowTitle(), QLatin1String(name));
    window->show();
    QCoreApplication::processEvents();
    for (QWidget* child : window->findChildren<QWidget*>()) {
      const bool control =
          qobject_cast<QAbstractButton*>(child) || qobject_cast<QLineEdit*>(child) ||
          qobject_cast<QPlainTextEdit*>(child) || dynamic_cast<RVLStarRating*>(child);
      if (!control || !child->isVisible()) continue;
      EXPECT_FALSE(child->accessibleName().isEmpty())
          << name << " " << child->metaObject()->className();
      EXPECT_FALSE(child->objectName().isEmpty())
          << name << " " << child->metaObject()->className();
    }
    if (auto* prompt = dynamic_cast<RTKTransparentWindow*>(window.get())) {
      // Translucent only where it shows: always off screen, on X11 only with
      // a compositing manager.
      EXPECT_EQ(prompt->isTranslucent(), RTKTransparentWindow::desktopComposites());
      if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        EXPECT_TRUE(prompt->isTranslucent());
      }
    }
    const QImage image = window->grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(
        image.save(shots + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
  }
  EXPECT_EQ(RavellToolKit::sharedInstance().buildPromptWindow(QStringLiteral("Unknown")), nullptr);
}

}  // namespace
}  // namespace vimbrel
