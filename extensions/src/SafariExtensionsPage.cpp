#include "extensions/SafariExtensionsPage.h"

#include "extensions/SafariExtension.h"

namespace vimbrel::extensions {

SafariExtensionsPage::SafariExtensionsPage(ExtensionPageServices services,
                                           std::function<bool()> safariRunning)
    : ExtensionListPage(std::move(services), "safariextz", kEmptySheet),
      safariRunning_(std::move(safariRunning)) {}

RemoveStart SafariExtensionsPage::removeExtension() {
  if (removing()) return RemoveStart::Busy;
  if (safariRunning_ && safariRunning_()) return RemoveStart::SafariRunning;
  return startRemoval();
}

std::vector<SafariItem> SafariExtensionsPage::catalog() const {
  return SafariExtension(services_.appSettings).installedSafariExtensions();
}

BackgroundRemoval::Job SafariExtensionsPage::removalOf(std::shared_ptr<SafariItem> record) const {
  return [record, &fileSystem = services_.fileSystem, &store = services_.appSettings,
          &state = services_.state](const BackgroundRemoval::Completion& done) {
    record->remove_safari_extension(fileSystem, store, state, done);
  };
}

}  // namespace vimbrel::extensions
