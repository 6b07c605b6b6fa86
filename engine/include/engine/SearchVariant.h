#pragma once

namespace vimbrel {

// What the size step of a search produces.
enum class SizeStep {
  None,           // no sizes: `sizes` is left as it was
  Sizes,          // `sizes` holds the byte count of every file location
  SizesAndTotal,  // as Sizes, and `net_size` is set to their total (see chosenTotal)
};

// The differences between the searches that share one implementation: the
// application search, the plug-in and Safari-extension removals, and the
// agent's cleaner.
struct SearchVariant {
  // The key of the home-folder grant in the store the search reads.
  const char* homeGrantKey;
  // The list starts with the "Executables" header and the bundle itself.
  bool bundleHeadsList;
  // The folder that holds the application inside the Applications folder is listed.
  bool enclosingFolder;
  // The shared folder and the system Application Support are searched.
  bool sharedAndSystemSupport;
  // A Caches entry named exactly like the label is taken.
  bool cachesLabelTest;
  // The containers and scripts of the login items the bundle carries are searched.
  bool loginItems;
  SizeStep sizeStep;
  // Plug-in labels are cut at the first dot of the name: "com.vendor.tool.bundle"
  // is labelled "com", which would tie every "com.*" entry to it. Such a
  // fragment is not used as a name to match.
  bool ignoreLabelFragments;

  static SearchVariant application();
  static SearchVariant bundleRemoval();
  static SearchVariant agentCleaner();
};

}  // namespace vimbrel
