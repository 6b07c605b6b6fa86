#include "engine/SearchVariant.h"

#include "engine/SettingsKeys.h"

namespace vimbrel {

SearchVariant SearchVariant::application() {
  return {keys::kHome, true, true, true, true, true, SizeStep::Sizes, false};
}

SearchVariant SearchVariant::bundleRemoval() {
  return {keys::kHome, true, true, false, false, false, SizeStep::None, true};
}

SearchVariant SearchVariant::agentCleaner() {
  return {keys::kHomeAccess, false, false, true, true, true, SizeStep::SizesAndTotal, false};
}

}  // namespace vimbrel
