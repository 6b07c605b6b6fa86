#include "ScaleFill.h"

#include <cstdio>
#include <functional>

#include "DemoApplications.h"

namespace vimbrel::demo {

namespace {

std::string numbered(const char* format, std::size_t number) {
  char text[128];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

// One part of the tree that receives a share of the entries. Files go into
// numbered folders of `filesPerFolder` entries below `base`; with
// `filesPerFolder` 0 they go into `base` itself.
struct Region {
  std::string base;
  unsigned percent;
  std::size_t filesPerFolder;
  std::function<std::string(std::size_t)> folderName;  // may hold one "/" level
  std::function<std::string(std::size_t)> fileName;
};

void fillRegion(TreeWriter& w, const Region& region, std::size_t budget) {
  const std::size_t start = w.entriesWritten();
  const auto written = [&] { return w.entriesWritten() - start; };
  std::string folder = region.base;
  std::size_t folderIndex = 0;
  std::size_t inFolder = 0;
  std::size_t fileIndex = 0;
  const bool flat = region.filesPerFolder == 0;
  while (written() < budget && w.ok()) {
    const std::size_t remaining = budget - written();
    // A new folder may need its parent too: take it only when both fit, so the
    // count comes out exact (a file then goes into the folder at hand).
    if (!flat && remaining >= 2 && (folderIndex == 0 || inFolder >= region.filesPerFolder)) {
      folder = region.base + "/" + region.folderName(folderIndex++);
      w.folder(folder);
      inFolder = 0;
      continue;
    }
    const std::size_t index = fileIndex++;
    // Every fourth file holds a line of text, the others are empty.
    w.file(folder + "/" + region.fileName(index),
           index % 4 == 0 ? numbered("entry %zu of the benchmark load\n", index) : std::string());
    ++inFolder;
  }
}

}  // namespace

void writeScaleEntries(TreeWriter& w, const std::string& home, std::size_t entries) {
  const std::string library = home + "/Library/";
  const std::vector<Region> regions = {
      {library + "Application Support", 30, 120,
       [](std::size_t i) {
         const std::size_t vendor = i / 4;
         return (vendor % 25 == 1 ? numbered("Tool Archive %04zu", vendor)
                                  : numbered("Scale Vendor %04zu", vendor)) +
                numbered("/Component %02zu", i % 4);
       },
       [](std::size_t i) { return numbered("chunk-%06zu.dat", i); }},
      {library + "Logs", 15, 60,
       [](std::size_t i) {
         return i % 20 == 5 ? numbered("Framepack Archive %04zu", i)
                            : numbered("Scale Vendor %04zu Logs", i);
       },
       [](std::size_t i) { return numbered("session-%06zu.log", i); }},
      {std::string(kVarFoldersUser) + "/C", 25, 200,
       [](std::size_t i) {
         return i % 50 == 3 ? numbered("com.syncwell.Syncwell.scale%04zu", i)
                            : numbered("com.scalevendor%04zu.agent", i);
       },
       [](std::size_t i) { return numbered("blob-%06zu", i); }},
      {library + "Preferences", 15, 0, nullptr,
       [](std::size_t i) {
         return i % 500 == 21 ? numbered("com.example.Tool.scale%06zu.plist", i)
                              : numbered("com.scalevendor%04zu", i / 20) +
                                    numbered(".app%02zu.plist", i % 20);
       }},
      {library + "Caches", 15, 8,
       [](std::size_t i) {
         return i % 100 == 7 ? numbered("com.lumenworks.PhotoForge.scale%04zu", i)
                             : numbered("com.scalevendor%06zu.cache", i);
       },
       [](std::size_t i) { return numbered("entry-%06zu", i); }},
  };
  std::size_t assigned = 0;
  for (std::size_t r = 0; r < regions.size(); ++r) {
    const bool last = r + 1 == regions.size();
    const std::size_t budget = last ? entries - assigned : entries * regions[r].percent / 100;
    fillRegion(w, regions[r], budget);
    assigned += budget;
  }
}

}  // namespace vimbrel::demo
