#include "extensions/ExtensionListPage.h"

#include "engine/ApplicationItem.h"
#include "engine/SettingsKeys.h"
#include "extensions/BundleItem.h"
#include "extensions/SafariItem.h"
#include "platform/NotificationCenter.h"
#include "platform/Paths.h"

namespace vimbrel::extensions {

namespace {

constexpr std::int64_t kPopoverLaunches = 7;

}  // namespace

bool showsMorePopover(const SettingsStore& appSettings) {
  return appSettings.integer(keys::kAppLaunchCount) >= kPopoverLaunches &&
         appSettings.integer(keys::kAllowAny) != 1;
}

template <typename Record>
ExtensionListPage<Record>::ExtensionListPage(ExtensionPageServices services, std::string iconType,
                                             std::string emptySheet)
    : services_(std::move(services)),
      iconType_(std::move(iconType)),
      emptySheet_(std::move(emptySheet)) {}

template <typename Record>
void ExtensionListPage<Record>::viewDidLoad(SizeArrived sizeArrived) {
  std::vector<std::string> locations;
  for (Record& loaded : catalog()) items_.push_back(std::make_shared<Record>(std::move(loaded)));
  for (std::size_t index = 0; index < items_.size(); ++index) {
    catalogIndex_.emplace(items_[index].get(), index);
    locations.push_back(items_[index]->url);
  }
  shadow_copy_ = items_;
  install_items_ = items_;
  RowSizes::Arrived arrived;
  if (sizeArrived) arrived = [sizeArrived](std::size_t) { sizeArrived(); };
  sizes_ = std::make_unique<RowSizes>(services_.fileSystem, std::move(locations), arrived);
}

template <typename Record>
PageAppearance ExtensionListPage<Record>::viewDidAppear() const {
  PageAppearance appearance;
  if (items_.empty()) appearance.emptySheet = emptySheet_;
  return appearance;
}

template <typename Record>
ExtensionRow ExtensionListPage<Record>::row(std::size_t index) const {
  const Record& shown = *install_items_.at(index);
  ExtensionRow result;
  result.label = shown.label;
  result.location = shown.url;
  result.folder = shown.url.empty() ? std::string() : paths::parent(shown.url);
  result.iconType = iconType_;
  // A record's own image (a pane's icon resource) is the better picture.
  if (iconType_.empty()) result.icon = shown.app_icon.empty() ? shown.icon : shown.app_icon;
  if (sizes_) result.size = sizes_->size(catalogIndex_.at(&shown));
  return result;
}

template <typename Record>
void ExtensionListPage<Record>::tableViewSelectionDidChange(std::optional<std::size_t> row) {
  selected_ = row && *row < install_items_.size() ? row : std::nullopt;
  removeEnabled_ = selected_.has_value();
}

template <typename Record>
void ExtensionListPage<Record>::back_to_extensions() const {
  if (services_.post) services_.post(notifications::kExtensionsViewController);
}

template <typename Record>
RemoveStart ExtensionListPage<Record>::startRemoval() {
  if (removal_.running()) return RemoveStart::Busy;
  if (!selected_) return RemoveStart::NothingSelected;
  removing_ = install_items_.at(*selected_);
  services_.state.set_remainder_urls({});
  removal_.start(removalOf(removing_));
  return RemoveStart::Started;
}

template <typename Record>
std::optional<RemovalFinished> ExtensionListPage<Record>::timer_proc() {
  if (!removal_.poll()) return std::nullopt;
  RemovalFinished finished;
  // The record is found again by identity: the filter may have changed the
  // rows while the removal ran.
  for (std::size_t index = 0; index < install_items_.size(); ++index) {
    if (install_items_[index] == removing_) {
      install_items_.erase(install_items_.begin() + static_cast<std::ptrdiff_t>(index));
      finished.removedRow = index;
      break;
    }
  }
  std::erase(shadow_copy_, removing_);
  removing_.reset();
  selected_.reset();
  removeEnabled_ = false;
  const auto reported = services_.state.remainder_urls();
  if (!reported.empty()) {
    const std::string& first = reported.front();
    finished.cantRemove = first.starts_with('/') && services_.fileSystem.exists(first);
  }
  return finished;
}

template <typename Record>
void ExtensionListPage<Record>::filter(const std::function<bool(const Record&)>& keep) {
  install_items_.clear();
  for (const auto& item : shadow_copy_) {
    if (!keep || keep(*item)) install_items_.push_back(item);
  }
  // The table reloads, and with it the selection goes.
  selected_.reset();
  removeEnabled_ = false;
}

template class ExtensionListPage<BundleItem>;
template class ExtensionListPage<ApplicationItem>;
template class ExtensionListPage<SafariItem>;

}  // namespace vimbrel::extensions
