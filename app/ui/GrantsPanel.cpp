#include "app/ui/GrantsPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/SandboxSheet.h"
#include "app/ui/Style.h"

namespace vimbrel {

namespace {

QString titleOf(GrantChecks::Kind kind) {
  switch (kind) {
    case GrantChecks::Kind::Home:
      return GrantsPanel::tr("Home folder");
    case GrantChecks::Kind::Applications:
      return GrantsPanel::tr("Applications folder");
    case GrantChecks::Kind::WholeDisk:
      return GrantsPanel::tr("Whole disk");
  }
  return {};
}

// Whole sentences per folder, so that a translation can inflect the name.
QString chooseText(GrantChecks::Kind kind) {
  switch (kind) {
    case GrantChecks::Kind::Home:
      return GrantsPanel::tr("Choose the home folder");
    case GrantChecks::Kind::Applications:
      return GrantsPanel::tr("Choose the Applications folder");
    case GrantChecks::Kind::WholeDisk:
      return GrantsPanel::tr("Choose the whole disk");
  }
  return {};
}

QString removeAccessText(GrantChecks::Kind kind) {
  switch (kind) {
    case GrantChecks::Kind::Home:
      return GrantsPanel::tr("Remove access to the home folder");
    case GrantChecks::Kind::Applications:
      return GrantsPanel::tr("Remove access to the Applications folder");
    case GrantChecks::Kind::WholeDisk:
      return GrantsPanel::tr("Remove access to the whole disk");
  }
  return {};
}

const char* nameOf(GrantChecks::Kind kind) {
  switch (kind) {
    case GrantChecks::Kind::Home:
      return "Home";
    case GrantChecks::Kind::Applications:
      return "Applications";
    case GrantChecks::Kind::WholeDisk:
      return "WholeDisk";
  }
  return "";
}

constexpr GrantChecks::Kind kKinds[] = {GrantChecks::Kind::Home, GrantChecks::Kind::Applications,
                                        GrantChecks::Kind::WholeDisk};

}  // namespace

GrantsPanel::GrantsPanel(std::unique_ptr<FolderGrants> grants, FolderChooser& chooser,
                         QString homeFolder, const QString& namePrefix, QWidget* parent)
    : QWidget(parent),
      grants_(std::move(grants)),
      chooser_(chooser),
      homeFolder_(std::move(homeFolder)),
      confirm_([this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("Remove Access"), question, QMessageBox::Cancel,
                        this);
        QPushButton* remove = box.addButton(tr("Remove"), QMessageBox::DestructiveRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == remove;
      }) {
  setObjectName(namePrefix + "Grants");
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(10);
  layout->setVerticalSpacing(2);
  layout->setColumnStretch(0, 1);
  int line = 0;
  for (Kind kind : kKinds) {
    Row& row = rowOf(kind);
    const QString name = namePrefix + nameOf(kind);
    auto* title = new QLabel(titleOf(kind), this);
    QFont font = title->font();
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    row.path = new QLabel(this);
    row.path->setObjectName(name + "Path");
    row.path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row.path->setMinimumWidth(60);
    row.path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row.state = ui::secondaryLabel({}, this);
    row.state->setObjectName(name + "State");
    row.state->setWordWrap(true);
    row.problem = ui::secondaryLabel({}, this);
    row.problem->setObjectName(name + "Problem");
    row.problem->setWordWrap(true);
    row.problem->hide();
    row.change = new QPushButton(tr("Change…"), this);
    row.change->setObjectName("change" + name);
    row.change->setAccessibleDescription(chooseText(kind));
    row.remove = new QPushButton(tr("Remove"), this);
    row.remove->setObjectName("remove" + name);
    row.remove->setAccessibleDescription(removeAccessText(kind));
    layout->addWidget(title, line, 0);
    layout->addWidget(row.change, line, 1, 2, 1, Qt::AlignVCenter);
    layout->addWidget(row.remove, line, 2, 2, 1, Qt::AlignVCenter);
    layout->addWidget(row.path, line + 1, 0);
    layout->addWidget(row.state, line + 2, 0, 1, 3);
    layout->addWidget(row.problem, line + 3, 0, 1, 3);
    layout->setRowMinimumHeight(line + 4, 10);
    line += 5;
    connect(row.change, &QPushButton::clicked, this, [this, kind] { change(kind); });
    connect(row.remove, &QPushButton::clicked, this, [this, kind] { remove(kind); });
  }
  refresh();
}

GrantsPanel::~GrantsPanel() = default;

GrantsPanel::Row& GrantsPanel::rowOf(Kind kind) { return rows_[static_cast<int>(kind)]; }

void GrantsPanel::refresh() {
  using State = GrantChecks::Status::State;
  for (Kind kind : kKinds) {
    Row& row = rowOf(kind);
    const GrantChecks::Status status = grants_->status(kind);
    row.path->setText(status.location ? QString::fromStdString(*status.location) : tr("No folder"));
    row.path->setToolTip(row.path->text());
    QString state;
    switch (status.state) {
      case State::Valid:
        state = tr("Valid");
        if (!status.reason.empty()) state += " — " + QString::fromStdString(status.reason);
        break;
      case State::Stale:
        state = tr("Stale: %1").arg(QString::fromStdString(status.reason));
        break;
      case State::Missing:
        state = status.reason == "not granted"
                    ? tr("Not granted")
                    : tr("Missing: %1").arg(QString::fromStdString(status.reason));
        break;
      case State::Invalid:
        state = tr("Not valid: %1").arg(QString::fromStdString(status.reason));
        break;
    }
    row.state->setText(state);
    row.state->setAccessibleName(state);
    row.remove->setEnabled(status.location.has_value() || status.state != State::Missing ||
                           status.reason != "not granted");
  }
}

void GrantsPanel::change(Kind kind) {
  const std::string start = kind == Kind::Home           ? homeFolder_.toStdString()
                            : kind == Kind::Applications ? SandboxSheet::kApplicationsFolder
                                                         : "/";
  const std::string problem = grants_->change(kind, chooser_, start);
  Row& row = rowOf(kind);
  row.problem->setText(QString::fromStdString(problem));
  row.problem->setAccessibleName(row.problem->text());
  row.problem->setVisible(!problem.empty());
  refresh();
}

void GrantsPanel::remove(Kind kind) {
  const QString question =
      kind == Kind::WholeDisk
          ? tr("Stop searching the whole disk? System folders will no longer be searched.")
      : kind == Kind::Home
          ? tr("Remove access to the home folder? Vimbrel asks for it again before it goes on.")
          : tr("Remove access to the Applications folder? Vimbrel asks for it again before it "
               "goes on.");
  if (!confirm_(question)) return;
  grants_->remove(kind);
  rowOf(kind).problem->hide();
  refresh();
  if (onRemoved_) onRemoved_(kind);
}

}  // namespace vimbrel
