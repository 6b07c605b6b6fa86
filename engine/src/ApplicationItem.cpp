#include "engine/ApplicationItem.h"

#include "engine/RemainderSearch.h"

namespace vimbrel {

ApplicationItem::ApplicationItem(const ApplicationItem& other)
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

ApplicationItem& ApplicationItem::operator=(const ApplicationItem& other) {
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

void ApplicationItem::getfiles(const FileSystem& fileSystem, const SettingsStore& store,
                               const std::function<void(bool)>& completion) {
  const SearchVariant variant = SearchVariant::application();
  RemainderSearch(fileSystem, variant)
      .run(*this, SearchRoots::resolve(store, variant.homeGrantKey));
  if (completion) completion(true);
}

}  // namespace vimbrel
