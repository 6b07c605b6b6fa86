#pragma once

#include <QCoreApplication>
#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace vimbrel {

class AppDelegate;
class OptionalPurposeSheet;
class SandboxSheet;
namespace ui {
class ToggleSwitch;
}

// The frame every sheet shares: a picture on the left, a title, a text and a
// row of buttons, white, without a window title of its own.
class SheetDialog : public QDialog {
 public:
  Q_DECLARE_TR_FUNCTIONS(SheetDialog)

 public:
  SheetDialog(const QString& identifier, const QPixmap& picture, const QString& title,
              const QString& text, QWidget* parent);
  // Adds a button to the bottom row; the first added is the default.
  QPushButton* addButton(const QString& text, const QString& objectName, bool accent);
  QVBoxLayout* body() const { return body_; }
  QLabel* textLabel() const { return text_; }
  QLabel* imageLabel() const { return image_; }

 private:
  QVBoxLayout* body_;
  QLabel* image_;
  QLabel* text_;
  QHBoxLayout* buttons_;
};

// "Sandbox": asks for the home folder and the Applications folder.
class SandboxViewController : public SheetDialog {
 public:
  Q_DECLARE_TR_FUNCTIONS(SandboxViewController)

 public:
  SandboxViewController(AppDelegate& delegate, QWidget* parent);
  ~SandboxViewController() override;
  void allowHome();
  void allowApplication();
  void exit();
  // Esc does not dismiss the sheet: only the grants or Quit end it.
  void reject() override;

 protected:
  // Closing the sheet's window quits, as Quit does.
  void closeEvent(QCloseEvent* event) override;

 private:
  void refresh();
  AppDelegate& delegate_;
  std::unique_ptr<SandboxSheet> logic_;
  QPushButton* switchAllowHome_;
  QPushButton* switchAllowApplications_;
  QLabel* homeProblem_;
  QLabel* applicationsProblem_;
  QPushButton* quit_;
};

// "OptionalPreferences": asks for the whole disk.
class OptionalPurpose : public SheetDialog {
 public:
  Q_DECLARE_TR_FUNCTIONS(OptionalPurpose)

 public:
  OptionalPurpose(AppDelegate& delegate, QWidget* parent);
  ~OptionalPurpose() override;
  void AllowmacOS();

 private:
  AppDelegate& delegate_;
  std::unique_ptr<OptionalPurposeSheet> logic_;
  QPushButton* macOSButton_;
};

// "Launched": the application is running and cannot be removed now.
SheetDialog* makeLaunchedSheet(AppDelegate& delegate, QWidget* parent);
// "Installedapps": the catalog found no application.
SheetDialog* makeInstalledAppsSheet(AppDelegate& delegate, QWidget* parent);
// "RateAppCount": the launch-count rate sheet.
SheetDialog* makeRateAppCountSheet(AppDelegate& delegate, QWidget* parent);

}  // namespace vimbrel
