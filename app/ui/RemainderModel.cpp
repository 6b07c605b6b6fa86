#include "app/ui/RemainderModel.h"

#include <QCoreApplication>
#include <unordered_set>

#include "app/ui/RemainderIcons.h"
#include "app/ui/Style.h"
#include "engine/RemainderPresentation.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/ui/IconProvider.h"

namespace vimbrel {

namespace {

std::uint64_t sizeAt(const std::vector<SizeEntry>& sizes, std::size_t index) {
  if (index >= sizes.size()) return 0;
  const auto* bytes = std::get_if<std::uint64_t>(&sizes[index]);
  return bytes != nullptr ? *bytes : 0;
}

QString text(const std::string& value) { return QString::fromStdString(value); }

}  // namespace

RemainderModel::RemainderModel(std::vector<RemainderEntry> files, std::vector<SizeEntry> sizes,
                               const FileSystem& fileSystem, IconProvider& icons, QObject* parent)
    : QAbstractListModel(parent),
      files_(std::move(files)),
      sizes_(std::move(sizes)),
      plan_(files_, sizes_),
      fileSystem_(fileSystem),
      icons_(icons) {
  // Each switch is named after its row and the folder that holds it; where
  // that is not enough (two roots with the same folders), the whole folder.
  names_.resize(files_.size());
  std::unordered_set<std::u16string> taken;
  for (std::size_t row = 0; row < files_.size(); ++row) {
    if (!files_[row].isFileLocation()) continue;
    const std::string& path = files_[row].text();
    const std::string folder = paths::parent(path);
    const QString name = text(shownName(path));
    QString candidate =
        tr("Remove %1 in %2").arg(name, text(std::string(paths::lastComponent(folder))));
    if (!taken.insert(candidate.toStdU16String()).second) {
      candidate = tr("Remove %1 in %2").arg(name, text(folder));
      for (int copy = 2; !taken.insert(candidate.toStdU16String()).second; ++copy) {
        candidate = tr("Remove %1 in %2 (%3)").arg(name, text(folder)).arg(copy);
      }
    }
    names_[row] = candidate;
  }
}

void RemainderModel::setCheckBeforeRemoving(int row, const QString& note) {
  if (row < 0 || static_cast<std::size_t>(row) >= files_.size()) return;
  if (!files_[static_cast<std::size_t>(row)].isFileLocation()) return;
  checkNotes_[row] = note;
  choose(row, false);
}

bool RemainderModel::isChosen(int row) const {
  return row >= 0 && plan_.isChosen(static_cast<std::size_t>(row));
}

bool RemainderModel::choose(int row, bool on) {
  if (row < 0 || static_cast<std::size_t>(row) >= files_.size()) return false;
  const auto at = static_cast<std::size_t>(row);
  if (!files_[at].isFileLocation() || files_[at].isClaimed()) return false;
  const bool before = plan_.isChosen(at);
  const bool after = plan_.choose(at, on);
  if (before != after) {
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
    if (onChosenChanged_) onChosenChanged_();
  }
  return after == on;
}

int RemainderModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(files_.size());
}

QString RemainderModel::switchName(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= names_.size()) return {};
  return names_[static_cast<std::size_t>(row)];
}

QVariant RemainderModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= files_.size()) return {};
  const int row = index.row();
  const RemainderEntry& entry = files_[static_cast<std::size_t>(row)];
  if (entry.isHeader()) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::AccessibleTextRole:
        return QCoreApplication::translate("RemainderGroup", groupLabel(entry.group()));
      case IsHeaderRole:
        return true;
      default:
        return {};
    }
  }
  if (!entry.isFileLocation()) return {};
  const std::string& path = entry.text();
  switch (role) {
    case Qt::DisplayRole:
      return text(shownName(path));
    case Qt::AccessibleTextRole:
      return switchName(row);
    case Qt::AccessibleDescriptionRole: {
      QString description =
          text(path) + " · " + ui::sizeText(sizeAt(sizes_, static_cast<std::size_t>(row)));
      const QString note = data(index, NoteRole).toString();
      if (!note.isEmpty()) description += " · " + note;
      return description;
    }
    case Qt::ToolTipRole:
      return text(matchDescription(entry));
    case Qt::DecorationRole:
      return iconOf(row);
    case Qt::CheckStateRole:
      return isChosen(row) ? Qt::Checked : Qt::Unchecked;
    case IsHeaderRole:
      return false;
    case PathRole:
      return text(path);
    case FolderRole:
      return text(paths::parent(path));
    case SizeRole:
      return QVariant::fromValue<quint64>(sizeAt(sizes_, static_cast<std::size_t>(row)));
    case NoteRole: {
      if (entry.isClaimed()) return text(alsoUsedBy(entry));
      auto note = checkNotes_.find(row);
      return note != checkNotes_.end() ? note->second : QString();
    }
    case SwitchableRole:
      return !entry.isClaimed();
    default:
      return {};
  }
}

bool RemainderModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole) return false;
  return choose(index.row(), value.toInt() == Qt::Checked);
}

Qt::ItemFlags RemainderModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= files_.size()) return {};
  const RemainderEntry& entry = files_[static_cast<std::size_t>(index.row())];
  if (!entry.isFileLocation()) return Qt::NoItemFlags;
  // A claimed row is shown with its note but cannot be chosen.
  if (entry.isClaimed()) return Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QIcon RemainderModel::iconOf(int row) const {
  auto cached = iconCache_.find(row);
  if (cached != iconCache_.end()) return cached->second;
  // Only the rows on screen ask, so the file system is asked a few dozen
  // times per screen, not once per row of a long list.
  const std::string& path = files_[static_cast<std::size_t>(row)].text();
  QIcon icon;
  const RemainderIcon choice = remainderIcon(path, fileSystem_.isFolder(path));
  switch (choice.kind) {
    case RemainderIcon::Kind::CellDefault:
      icon = ui::symbolicIcon({"folder"});
      break;
    case RemainderIcon::Kind::GenericDocument:
      icon = icons_.iconForFileType("");
      break;
    case RemainderIcon::Kind::ApplicationIcon:
      icon = applicationIcon_;
      break;
    case RemainderIcon::Kind::Preferences:
      icon = ui::symbolicIcon({"preferences-system", "emblem-system"});
      break;
    case RemainderIcon::Kind::FileType:
      icon = icons_.iconForFileType(choice.type);
      break;
    case RemainderIcon::Kind::LaunchAgent:
      icon = ui::symbolicIcon({"system-run", "utilities-terminal"});
      break;
    case RemainderIcon::Kind::OwnIcon:
      icon = icons_.iconForFile(path);
      break;
  }
  iconCache_.emplace(row, icon);
  return icon;
}

}  // namespace vimbrel
