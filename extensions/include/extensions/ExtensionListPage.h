#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ImageRef.h"
#include "engine/WorkflowState.h"
#include "extensions/BackgroundRemoval.h"
#include "extensions/RowSizes.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::extensions {

// Posts a page notification ("extensions_view_controller" ...) by name.
using PostNotification = std::function<void(const std::string&)>;

// What a list page needs of the program, all of which outlives the page.
struct ExtensionPageServices {
  const FileSystem& fileSystem;
  // The application store: grants, "AllowAny", "appLaunchCount".
  SettingsStore& appSettings;
  WorkflowState& state;
  PostNotification post;
};

// One shown row: the label, the folder that holds the item, its icon and its
// size once it is known.
struct ExtensionRow {
  std::string label;
  std::string folder;
  std::string location;
  // The generic icon of a file type ("bundle"), or, without one, the
  // record's own image, else its icon.
  std::string iconType;
  ImageRef icon;
  std::optional<std::uint64_t> size;
};

// What a page presents when it appears.
struct PageAppearance {
  // The empty-list sheet's scene, when the catalog is empty.
  std::optional<std::string> emptySheet;
  // The information popover's scene, shown on the remove button.
  std::optional<std::string> popover;
};

// The end of a removal, reported by the timer callback.
struct RemovalFinished {
  // The row that was taken out of the shown list, when it was shown.
  std::optional<std::size_t> removedRow;
  // Something the removal reported still exists: show "BundleCantRemove".
  bool cantRemove = false;
};

// Whether a removal started.
enum class RemoveStart { Started, NothingSelected, Busy, SafariRunning };

// The information popovers appear from the seventh launch on, while the
// system-wide folders are not searched.
bool showsMorePopover(const SettingsStore& appSettings);

// What the window of an extension list needs of its logic, whatever the
// record type: the rows, the selection, the removal's end. Call everything
// from one thread; `sizeArrived` is called on the size worker.
class ExtensionList {
 public:
  using SizeArrived = std::function<void()>;

  virtual ~ExtensionList() = default;

  // Loads the catalog and starts measuring every record.
  virtual void viewDidLoad(SizeArrived sizeArrived = {}) = 0;
  // The empty-list sheet (and, where the page has one, the popover).
  virtual PageAppearance viewDidAppear() const = 0;

  virtual std::size_t numberOfRows() const = 0;
  virtual ExtensionRow row(std::size_t index) const = 0;
  // The catalog as loaded, whatever was removed or filtered since.
  virtual std::size_t catalogSize() const = 0;

  // The selection changed to `row` (nothing: no row selected).
  virtual void tableViewSelectionDidChange(std::optional<std::size_t> row) = 0;
  virtual std::optional<std::size_t> selectedRow() const = 0;
  // False while nothing is selected, while a removal runs, and after a
  // removal until the next selection.
  virtual bool removeEnabled() const = 0;
  virtual bool removing() const = 0;

  // The location to reveal in the file viewer for a row's button.
  virtual std::string show_in_finder(std::size_t row) const = 0;
  // Back to the extensions hub.
  virtual void back_to_extensions() const = 0;
  // The timer callback while a removal runs.
  virtual std::optional<RemovalFinished> timer_proc() = 0;
};

// The state of one visit of an extension list: the catalog as loaded, the rows
// shown (all, or those the filter keeps), the selection, the sizes (computed
// once per record, off the calling thread) and the removal that runs.
template <typename Record>
class ExtensionListPage : public ExtensionList {
 public:
  // Rows show the generic icon of `iconType`, or the record's own icon when it is empty.
  ExtensionListPage(ExtensionPageServices services, std::string iconType, std::string emptySheet);

  void viewDidLoad(SizeArrived sizeArrived = {}) override;
  PageAppearance viewDidAppear() const override;

  std::size_t numberOfRows() const override { return install_items_.size(); }
  ExtensionRow row(std::size_t index) const override;
  // The record of a shown row.
  const Record& record(std::size_t index) const { return *install_items_.at(index); }
  std::size_t catalogSize() const override { return items_.size(); }

  void tableViewSelectionDidChange(std::optional<std::size_t> row) override;
  std::optional<std::size_t> selectedRow() const override { return selected_; }
  bool removeEnabled() const override { return removeEnabled_ && !removal_.running(); }
  bool removing() const override { return removal_.running(); }

  std::string show_in_finder(std::size_t row) const override { return install_items_.at(row)->url; }
  void back_to_extensions() const override;
  std::optional<RemovalFinished> timer_proc() override;

 protected:
  virtual std::vector<Record> catalog() const = 0;
  // The removal of `record`, to run on the worker thread. It captures what it
  // uses, so that nothing of the page is touched from the worker.
  virtual BackgroundRemoval::Job removalOf(std::shared_ptr<Record> record) const = 0;
  // Starts removing the selected record.
  RemoveStart startRemoval();
  // Shows the records of the catalog that `keep` accepts (all, with none).
  void filter(const std::function<bool(const Record&)>& keep);

  ExtensionPageServices services_;

 private:
  std::string iconType_;
  std::string emptySheet_;
  // The catalog as loaded (`bundleItems` / `safariItems`), the full list the
  // filter starts from (`shadow_copy`) and the rows shown (`install_items`).
  std::vector<std::shared_ptr<Record>> items_;
  std::vector<std::shared_ptr<Record>> shadow_copy_;
  std::vector<std::shared_ptr<Record>> install_items_;
  std::unordered_map<const Record*, std::size_t> catalogIndex_;
  std::optional<std::size_t> selected_;
  bool removeEnabled_ = false;
  std::shared_ptr<Record> removing_;
  // Destroyed first: a running removal finishes, the size worker stops,
  // before the records they use go away.
  std::unique_ptr<RowSizes> sizes_;
  BackgroundRemoval removal_;
};

}  // namespace vimbrel::extensions
