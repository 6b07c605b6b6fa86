#include "app/ui/InfoViewController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/AppDelegate.h"
#include "app/ui/InfoPluginsViewController.h"
#include "app/ui/InfoPrefPanesViewController.h"
#include "app/ui/Style.h"

namespace vimbrel {

InfoViewController::InfoViewController(AppDelegate& delegate, const QString& identifier,
                                       const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
  setObjectName(identifier);
  setAccessibleName(title);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(6);
  layout->addWidget(ui::titleLabel(title, this, 2));
  auto* body = ui::secondaryLabel(text, this);
  body->setWordWrap(true);
  body->setFixedWidth(280);
  layout->addWidget(body);
  layout->addSpacing(4);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* more = new QPushButton(tr("Learn More"), this);
  more->setObjectName("visit");
  more->setAccessibleName(tr("Learn more on the maker's web site"));
  ui::makeAccentButton(more);
  buttons->addWidget(more);
  layout->addLayout(buttons);
  connect(more, &QPushButton::clicked, this, [this] { visit(); });
}

void InfoViewController::visit() { delegate_.services().urlOpener->openUrl(kMoreAddress); }

InfoPluginsViewController::InfoPluginsViewController(AppDelegate& delegate, QWidget* parent)
    : InfoViewController(delegate, "MorePlugins", InfoViewController::tr("More plug-ins"),
                         InfoViewController::tr(
                             "Only your own address-book plug-ins are listed. Grant Vimbrel the "
                             "whole disk to list the system's Spotlight importers, Quick Look "
                             "generators and Internet plug-ins too."),
                         parent) {}

InfoPrefPanesViewController::InfoPrefPanesViewController(AppDelegate& delegate, QWidget* parent)
    : InfoViewController(delegate, "MorePrefpanes", InfoViewController::tr("More preference panes"),
                         InfoViewController::tr(
                             "Only your own preference panes are listed. Grant Vimbrel the whole "
                             "disk to list the panes installed for every user too."),
                         parent) {}

}  // namespace vimbrel
