#pragma once

#include <string>
#include <vector>

#include "engine/ApplicationItem.h"
#include "engine/WorkflowState.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

// The one-step removal that plug-ins and Safari extensions share.
namespace vimbrel::extensions {

// Searches the remainders of `record` with the bundle variant of the search
// (into `record.files`; no sizes), deletes the record's own location and
// everything found with the grants of `store`, and returns exactly the
// locations that were not removed, with their reasons.
std::vector<Survivor> searchAndRemove(ApplicationItem& record, const FileSystem& fileSystem,
                                      const SettingsStore& store);

// Hands survivors to the pages: they replace remainder_urls when there are
// any; otherwise the list is left as the caller prepared it.
void reportSurvivors(WorkflowState& state, std::vector<Survivor> survivors);

}  // namespace vimbrel::extensions
