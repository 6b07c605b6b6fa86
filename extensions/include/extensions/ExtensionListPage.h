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
  // The generic icon of a file type ("bundle"), or, without one, the record's icon.
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

// The state of one visit of an extension list: the catalog as loaded, the rows
// shown (all, or those the filter keeps), the selection, the sizes (computed
// once per record, off the calling thread) and the removal that runs. Call
// everything from one thread; `sizeArrived` is called on the size worker.
template <typename Record>
class ExtensionListPage {
 public:
  using SizeArrived = std::function<void()>;

  // Rows show the generic icon of `iconType`, or the record's own icon when it is empty.
  ExtensionListPage(ExtensionPageServices services, std::string iconType, std::string emptySheet);
  virtual ~ExtensionListPage() = default;

  // Loads the catalog and starts measuring every record.
  void viewDidLoad(SizeArrived sizeArrived = {});
  // The empty-list sheet (and, where the page has one, the popover).
  virtual PageAppearance viewDidAppear() const;

  std::size_t numberOfRows() const { return install_items_.size(); }
  ExtensionRow row(std::size_t index) const;
  // The record of a shown row.
  const Record& record(std::size_t index) const { return *install_items_.at(index); }
  // The catalog as loaded, whatever was removed or filtered since.
  std::size_t catalogSize() const { return items_.size(); }

  // The selection changed to `row` (nothing: no row selected).
  virtual void tableViewSelectionDidChange(std::optional<std::size_t> row);
  std::optional<std::size_t> selectedRow() const { return selected_; }
  // False while nothing is selected, while a removal runs, and after a
  // removal until the next selection.
  bool removeEnabled() const { return removeEnabled_ && !removal_.running(); }
  bool removing() const { return removal_.running(); }

  // The location to reveal in the file viewer for a row's button.
  std::string show_in_finder(std::size_t row) const { return install_items_.at(row)->url; }
  // Back to the extensions hub.
  void back_to_extensions() const;

  // The timer callback while a removal runs.
  std::optional<RemovalFinished> timer_proc();

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
