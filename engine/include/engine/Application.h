#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/ImageRef.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

// The catalog of installed applications: lists the applications of the
// granted Applications folder, and builds the record of any one bundle.
// Not shared between threads; each caller makes its own.
class Application {
 public:
  // `store` holds the "Applications" grant and the two listing switches.
  Application(const FileSystem& fileSystem, const SettingsStore& store);

  // The applications found directly in the Applications folder and up to two
  // folder levels below it (three below "Utilities" when it is included),
  // without the platform's own applications unless they are included, sorted
  // by label without regard to case. Also kept in items().
  std::vector<ApplicationItem>& installedApplications();
  // The application bundles of `folder` in discovery order: directly in it
  // and up to two folder levels below it, three below "Utilities" when
  // `includeUtilities`. Bundles are never looked into; no identifier filter.
  std::vector<std::string> applicationBundles(const std::string& folder,
                                              bool includeUtilities) const;
  // The record of one bundle; no filter applies.
  ApplicationItem application(const std::string& bundlePath) const;

  std::vector<ApplicationItem>& items() { return items_; }
  const std::optional<std::string>& url_applications() const { return url_applications_; }

  // Derivations: each reads the bundle afresh and returns the value of one field.
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
  const FileSystem& fileSystem_;
  const SettingsStore& store_;
  std::vector<ApplicationItem> items_;
  std::optional<std::string> url_applications_;
};

}  // namespace vimbrel
