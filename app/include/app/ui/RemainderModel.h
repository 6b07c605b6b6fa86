#pragma once

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QIcon>
#include <functional>
#include <unordered_map>
#include <vector>

#include "engine/RemainderEntry.h"
#include "engine/RemovalPlan.h"

namespace vimbrel {

class FileSystem;
class IconProvider;

// The review's rows: the search's list as it is, a header row per group and a
// file row per location, each file row checkable. The removal plan stays the
// engine's: switching a row goes through RemovalPlan, whose `prepare` holds a
// placeholder at a switched-off row, and whose totals count no such row.
// Claimed rows are shown disabled with whose they are; a row may start
// switched off with a note ("Check before removing").
class RemainderModel : public QAbstractListModel {
 public:
  Q_DECLARE_TR_FUNCTIONS(RemainderModel)

 public:
  enum Role {
    IsHeaderRole = Qt::UserRole + 1,
    PathRole,        // the full path (file rows)
    FolderRole,      // the folder that holds it
    SizeRole,        // its bytes, as the search counted them (quint64)
    NoteRole,        // why the row is kept or should be checked; empty otherwise
    SwitchableRole,  // the user may switch the row
  };

  RemainderModel(std::vector<RemainderEntry> files, std::vector<SizeEntry> sizes,
                 const FileSystem& fileSystem, IconProvider& icons, QObject* parent);

  // Starts the file row switched off with a note that asks to check it first.
  void setCheckBeforeRemoving(int row, const QString& note);
  // Called after any switch changes (for the page's totals and button).
  void setOnChosenChanged(std::function<void()> callback) {
    onChosenChanged_ = std::move(callback);
  }
  // The icon rows of the application bundle itself show.
  void setApplicationIcon(const QIcon& icon) { applicationIcon_ = icon; }

  const RemovalPlan& plan() const { return plan_; }
  const std::vector<RemainderEntry>& files() const { return files_; }
  const std::vector<SizeEntry>& sizes() const { return sizes_; }
  bool isChosen(int row) const;
  // Sets the switch of a file row; false when the row cannot be switched.
  bool choose(int row, bool on);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // "Remove Tool in Application Support": the switch's name, unique in the list.
  QString switchName(int row) const;

 private:
  QIcon iconOf(int row) const;

  std::vector<RemainderEntry> files_;
  std::vector<SizeEntry> sizes_;
  RemovalPlan plan_;
  const FileSystem& fileSystem_;
  IconProvider& icons_;
  std::vector<QString> names_;  // unique switch names, by row
  std::unordered_map<int, QString> checkNotes_;
  mutable std::unordered_map<int, QIcon> iconCache_;
  QIcon applicationIcon_;
  std::function<void()> onChosenChanged_;
};

}  // namespace vimbrel
