#include "extensions/BundleItem.h"

#include "RemainderRemoval.h"

namespace vimbrel::extensions {

ApplicationItem BundleItem::asApplicationItem() const {
  const BundleItem& item = *this;
  ApplicationItem record;
  record.label = item.label;
  record.label_name = item.label_name;
  record.url = item.url;
  record.icon = item.icon;
  record.app_icon = item.app_icon;
  record.bundle = item.bundle;
  record.bundle_name = item.bundle_name;
  record.bundle_name_info = item.bundle_name_info;
  record.executable_info = item.executable_info;
  record.company_name = item.company_name;
  record.files = item.files;
  record.sizes = item.sizes;
  return record;
}

BundleItem::BundleItem(const BundleItem& other)
    : label(other.label),
      label_name(other.label_name),
      url(other.url),
      icon(other.icon),
      app_icon(other.app_icon),
      bundle(other.bundle),
      bundle_name(other.bundle_name),
      bundle_name_info(other.bundle_name_info),
      executable_info(other.executable_info),
      company_name(other.company_name),
      files(other.files),
      sizes(other.sizes),
      net_size(other.net_size.load()) {}

BundleItem& BundleItem::operator=(const BundleItem& other) {
  if (this == &other) return *this;
  label = other.label;
  label_name = other.label_name;
  url = other.url;
  icon = other.icon;
  app_icon = other.app_icon;
  bundle = other.bundle;
  bundle_name = other.bundle_name;
  bundle_name_info = other.bundle_name_info;
  executable_info = other.executable_info;
  company_name = other.company_name;
  files = other.files;
  sizes = other.sizes;
  net_size = other.net_size.load();
  return *this;
}

void BundleItem::remove_files(const FileSystem& fileSystem, const SettingsStore& store,
                              WorkflowState& state, const std::function<void(bool)>& completion) {
  ApplicationItem record = asApplicationItem();
  std::vector<Survivor> survivors = searchAndRemove(record, fileSystem, store);
  files = std::move(record.files);
  // The search's platform-company step persists in the record, as it does for applications.
  company_name = std::move(record.company_name);
  reportSurvivors(state, std::move(survivors));
  if (completion) completion(true);
}

}  // namespace vimbrel::extensions
