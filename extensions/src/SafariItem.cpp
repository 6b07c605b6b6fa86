#include "extensions/SafariItem.h"

#include "RemainderRemoval.h"
#include "engine/SettingsKeys.h"
#include "extensions/SafariExtension.h"
#include "platform/Grant.h"
#include "platform/Paths.h"

namespace vimbrel::extensions {

SafariListUpdate SafariItem::remove_safari_extension(const FileSystem& fileSystem,
                                                     const SettingsStore& store,
                                                     WorkflowState& state,
                                                     const std::function<void(bool)>& completion) {
  auto finish = [&](SafariListUpdate update) {
    if (completion) completion(true);
    return update;
  };
  // Safari's list is checked before anything is deleted: an archive removed
  // while its list cannot be updated would leave Safari listing a missing
  // extension, and replacing a list that cannot be read would drop every
  // other extension from it.
  const ResolvedGrant home = resolve_grant(store, keys::kHome);
  const std::string listPath = home.location ? SafariExtension::listPath(*home.location) : "";
  SafariExtensionList list = SafariExtensionList::load(listPath);
  if (!home.location || list.state() == SafariExtensionList::State::Unreadable ||
      paths::normalize(url) == listPath) {
    std::vector<Survivor> notRemoved;
    const std::string why =
        home.location ? "Safari's extension list cannot be read" : reasons::kOutsideGrants;
    if (fileSystem.exists(url)) {
      notRemoved.push_back({url, why});
    } else if (!listPath.empty() && fileSystem.exists(listPath)) {
      notRemoved.push_back({listPath, why});
    }
    reportSurvivors(state, std::move(notRemoved));
    return finish(SafariListUpdate::Unreadable);
  }

  reportSurvivors(state, searchAndRemove(*this, fileSystem, store));

  const bool missing = list.state() == SafariExtensionList::State::Missing;
  const std::size_t removed = bundle ? list.removeExtension(*bundle) : 0;
  if (!missing && removed == 0) return finish(SafariListUpdate::Unchanged);
  return finish(list.save() ? SafariListUpdate::Written : SafariListUpdate::NotWritten);
}

}  // namespace vimbrel::extensions
