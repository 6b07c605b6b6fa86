#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/Application.h"
#include "engine/ApplicationItem.h"
#include "engine/ImageRef.h"
#include "extensions/BundleItem.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel::extensions {

// The catalog of the loadable bundles that can be removed besides
// applications: plug-ins, which become BundleItem records, and preference
// panes, which become application records so that they are reviewed and
// removed like applications. Holds no state; every list is built afresh.
class Bundle {
 public:
  // `store` holds the "home" and "macOS" grants and the "AllowAny" switch.
  Bundle(const FileSystem& fileSystem, const SettingsStore& store);

  // The user's address-book plug-ins and, when system folders are enabled,
  // the system's Spotlight importers, Quick Look generators and Internet
  // plug-ins, sorted by label without regard to case.
  std::vector<BundleItem> installedPlugins() const;
  // The user's preference panes and, when system folders are enabled, the
  // system's, sorted the same way. A pane in both places gives two records.
  std::vector<ApplicationItem> installedPrefPanes() const;

  // Derivations: each takes a bundle location and returns one field's value.
  // The label is the shown name cut before its first "." ("Page Viewer.plugin"
  // gives "Page Viewer"); the others follow the application catalog's rules.
  std::string setLabel(const std::string& bundlePath) const;
  std::string setLabelName(const std::string& bundlePath) const;
  ImageRef setIcon(const std::string& bundlePath) const;
  ImageRef setAppIcon(const std::string& bundlePath) const;
  std::optional<std::string> setBundle(const std::string& bundlePath) const;
  std::optional<std::string> setBundleName(const std::string& bundlePath) const;
  std::string setBundleNameInfo(const std::string& bundlePath) const;
  std::string setExecutableInfo(const std::string& bundlePath) const;
  std::optional<std::string> setCompanyName(const std::string& bundlePath) const;

 private:
  // Only preference panes show their own icon.
  enum class AppIcon { Read, Skip };
  template <typename Item>
  std::vector<Item> records(const std::vector<std::string>& found, AppIcon appIcon) const;
  // The locations of `folder` whose extension passes `keep`, in listing order.
  template <typename Keep>
  void collect(const std::optional<std::string>& folder, const Keep& keep,
               std::vector<std::string>& into) const;

  const FileSystem& fileSystem_;
  const SettingsStore& store_;
  // The application catalog's derivations, which bundles share.
  const Application applicationRules_;
};

}  // namespace vimbrel::extensions
