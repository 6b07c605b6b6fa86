#pragma once

#include <QAbstractButton>
#include <QBoxLayout>
#include <QPointer>
#include <QWidget>

namespace vimbrel {

// A page of the main window's container.
class Page : public QWidget {
 public:
  using QWidget::QWidget;
  // Called once the page is in the window and the window shows.
  virtual void viewDidAppear() {}
  // True while the page runs work that closing the window must wait for.
  virtual bool busy() const { return false; }

  // The row at the top of the page that ends with the window's menu button;
  // the window puts the button there. Pages without one get a row of the
  // window's own above them.
  QBoxLayout* headerRow() const { return headerRow_; }
  // The page's way back, if it has one: Esc and Alt+Left press it.
  QAbstractButton* backButton() const { return backButton_.data(); }

 protected:
  void setHeaderRow(QBoxLayout* row) { headerRow_ = row; }
  void setBackButton(QAbstractButton* button) { backButton_ = button; }

 private:
  QBoxLayout* headerRow_ = nullptr;
  QPointer<QAbstractButton> backButton_;
};

}  // namespace vimbrel
