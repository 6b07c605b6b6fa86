#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "SearchFixture.h"
#include "demohome/DemoHome.h"
#include "engine/SearchPool.h"

namespace vimbrel::testing {
namespace {

// Everything the search hands back, one line per entry: the list with its
// headers, each location's evidence, claims and size, and the total.
std::string transcript(const ApplicationItem& item) {
  std::ostringstream out;
  for (std::size_t i = 0; i < item.files.size(); ++i) {
    const RemainderEntry& entry = item.files[i];
    if (entry.isHeader()) {
      out << "[" << entry.text() << "]\n";
      continue;
    }
    out << entry.text();
    if (const auto& match = entry.match()) {
      out << " | step " << match->step << " in " << match->folder << ": "
          << matchedValueName(match->value) << " " << matchTestName(match->test) << " "
          << match->text;
    }
    for (const std::string& label : entry.claimedBy()) out << " | claimed by " << label;
    if (i < item.sizes.size()) {
      if (const auto* bytes = std::get_if<std::uint64_t>(&item.sizes[i])) out << " | " << *bytes;
    }
    out << "\n";
  }
  out << "total " << item.net_size.load() << "\n";
  return out.str();
}

// The folders the search lists, as the fixture's disk lays them out, and
// whether the search walks them deep.
struct SearchedFolder {
  const char* relative;
  bool deep;
};
constexpr SearchedFolder kFolders[] = {
    {"Users/tester/Library/Preferences", false},
    {"Users/tester/Library/Application Support", true},
    {"Users/tester/Library/Application Support/CrashReporter", false},
    {"Users/tester/Library/Containers", false},
    {"Users/tester/Library/Saved Application State", false},
    {"Users/tester/Library/Caches", false},
    {"Users/tester/Library/Caches/com.apple.helpd", true},
    {"Users/tester/Library/Cookies", false},
    {"Users/tester/Library/Application Scripts", false},
    {"Users/tester/Library/Group Containers", false},
    {"Users/tester/Library", false},
    {"Users/tester/Library/LaunchAgents", false},
    {"Users/tester/Library/Logs", true},
    {"Users/tester/Library/Logs/CSXS", false},
    {"Users/tester/Library/WebKit", false},
    {"Users/tester/Library/Address Book Plug-Ins", false},
    {"Users/tester/Library/Services", false},
    {"Users/tester/Desktop", false},
    {"Users/Shared", false},
    {"Library/Application Support", false},
    {"Library/LaunchAgents", false},
    {"Library/LaunchDaemons", false},
    {"Library/PrivilegedHelperTools", false},
    {"Library/Logs", true},
    {"var/folders/zz/abc/C", true},
    {"var/run", false},
    {"var/db", true},
};

// Name pieces that between them pass and fail every test of every step: the
// record's values in several spellings, its company, a login item's and
// another installed application's identifiers, the pro and plus editions,
// numbered labels and the folders other steps cover.
const std::vector<std::string> kCores = {
    "com.example.Tool",
    "Tool",
    "tool",
    "TOOL",
    "Töol",
    "Tool 2",
    "Tool Pro",
    "ToolPlus",
    "Toolbox",
    "Example",
    "example",
    "Other",
    "com.other.App",
    "com.helper.Agent",
    "Helper",
    "com.example.Tool.Claimed",
    "Claimed",
    "CSXS",
    "CrashReporter",
    "Tool Data",
};
const std::vector<std::string> kPrefixes = {"", "", "", "com.example.", "Old ", "x"};
const std::vector<std::string> kSuffixes = {
    "", "", "", ".plist", " Data", ".app", ".savedState", "-log.txt", " 2", ".bundle"};

class ParallelSearchTest : public SearchFixture {
 protected:
  template <typename T>
  const T& draw(const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
  }
  int upTo(int most) { return std::uniform_int_distribution<int>(0, most)(random_); }

  std::string randomName() { return draw(kPrefixes) + draw(kCores) + draw(kSuffixes); }

  // A random file, link or folder in `folder` (relative to the disk); folders
  // of a deep step get contents of their own.
  void fill(const std::string& folder, int depth) {
    const int count = upTo(depth == 0 ? 9 : 4);
    for (int i = 0; i < count; ++i) {
      std::string name = randomName();
      if (upTo(12) == 0) name = "." + name;  // hidden: never visited
      const std::string path = folder + "/" + name;
      if (std::filesystem::exists(std::filesystem::symlink_status(tree_.path("disk/" + path))))
        continue;
      const int kind = upTo(9);
      if (kind < 5) {
        tree_.fileOfSize("disk/" + path, static_cast<std::size_t>(upTo(4000)));
      } else if (kind == 5) {
        tree_.symlink("disk/" + path, "../elsewhere");
      } else {
        tree_.folder("disk/" + path);
        if (depth < 3) fill(path, depth + 1);
        if (upTo(2) == 0) tree_.fileOfSize("disk/" + path + "/data", 100);
      }
    }
  }

  void generate(unsigned seed) {
    random_.seed(seed);
    for (const SearchedFolder& folder : kFolders)
      tree_.folder(std::string("disk/") + folder.relative);
    for (const SearchedFolder& folder : kFolders) fill(folder.relative, folder.deep ? 0 : 2);
  }

  ApplicationItem record(const std::string& relative) {
    return Application(fileSystem_, store_).application(applications_ + "/" + relative);
  }

  // The transcript of one search of `item` with `jobs` threads.
  std::string searched(ApplicationItem item, int jobs,
                       const SearchVariant& variant = SearchVariant::application()) {
    RemainderSearch(fileSystem_, variant, jobs)
        .run(item, SearchRoots::resolve(store_, variant.homeGrantKey));
    return transcript(item);
  }

  std::mt19937 random_;
};

TEST_F(ParallelSearchTest, ThreadsFindWhatOneThreadFindsOnGeneratedTrees) {
  allowSystemFolders();
  const std::vector<SearchVariant> variants = {
      SearchVariant::application(), SearchVariant::agentCleaner(), SearchVariant::bundleRemoval()};
  for (unsigned seed = 1; seed <= 24; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::filesystem::remove_all(tree_.path("disk"));
    SetUp();
    allowSystemFolders();
    generate(seed);
    // The application sits in a folder of its own every other time, carries a
    // login item every third time, and another application claims some names.
    const std::string bundle = seed % 2 ? "Tool.app" : "Tool/Tool.app";
    writeBundle(tree_, "disk/Applications/" + bundle,
                {"com.example.Tool", "Tool", "Tool", std::nullopt});
    if (seed % 3 == 0) {
      writeBundle(tree_, "disk/Applications/" + bundle + "/Contents/Library/LoginItems/Helper.app",
                  {"com.helper.Agent", "Helper", "Helper", std::nullopt});
    }
    writeBundle(tree_, "disk/Applications/Claimed.app",
                {"com.example.Tool.Claimed", "Claimed", "Claimed", std::nullopt});
    const ApplicationItem item = record(bundle);
    const SearchVariant& variant = variants[seed % variants.size()];
    const std::string alone = searched(item, 1, variant);
    for (int jobs : {2, 3, 8}) {
      EXPECT_EQ(searched(item, jobs, variant), alone) << jobs << " threads";
    }
  }
}

// Every step with a match at least once over the generated trees, so the
// comparison above covers each of them.
TEST_F(ParallelSearchTest, GeneratedTreesReachEveryListingStep) {
  allowSystemFolders();
  std::set<int> steps;
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::filesystem::remove_all(tree_.path("disk"));
    SetUp();
    allowSystemFolders();
    generate(seed);
    writeBundle(tree_, "disk/Applications/Tool/Tool.app",
                {"com.example.Tool", "Tool", "Tool", std::nullopt});
    if (seed % 3 == 0) {
      writeBundle(tree_, "disk/Applications/Tool/Tool.app/Contents/Library/LoginItems/Helper.app",
                  {"com.helper.Agent", "Helper", "Helper", std::nullopt});
    }
    ApplicationItem item = record("Tool/Tool.app");
    search(item);
    for (const RemainderEntry& entry : item.files) {
      if (entry.match()) steps.insert(entry.match()->step);
    }
  }
  for (int step = 1; step <= 31; ++step) {
    if (step == 15) continue;  // the developer tools only
    EXPECT_TRUE(steps.count(step)) << "no match in step " << step;
  }
}

TEST_F(ParallelSearchTest, ThreadsFindWhatOneThreadFindsInTheDemoHome) {
  const std::string root = tree_.path("demo");
  ASSERT_TRUE(demo::generateDemoHome(root, {"demo", 0, 5000}).isOk());
  store_.setBlob(keys::kHome, createGrant(demo::demoHomeFolder(root, "demo")));
  store_.setBlob(keys::kApplications, createGrant(demo::demoApplicationsFolder(root)));
  store_.setBlob(keys::kMacOS, createGrant(root));
  allowSystemFolders();
  Application catalog(fileSystem_, store_);
  const std::vector<ApplicationItem> items = catalog.installedApplications();
  ASSERT_GT(items.size(), 5u);
  for (const ApplicationItem& item : items) {
    SCOPED_TRACE(item.url);
    const std::string alone = searched(item, 1);
    EXPECT_EQ(searched(item, 2), alone);
    EXPECT_EQ(searched(item, 5), alone);
  }
}

TEST(SearchPoolTest, RunsEveryTaskOnceAndPassesOnAFailure) {
  for (int jobs : {1, 2, 8}) {
    std::vector<std::atomic<int>> runs(100);
    std::vector<std::function<void()>> tasks;
    for (auto& count : runs) tasks.emplace_back([&count] { ++count; });
    SearchPool(jobs).run(tasks);
    for (const auto& count : runs) EXPECT_EQ(count.load(), 1) << jobs;

    tasks.emplace_back([] { throw std::runtime_error("walk failed"); });
    EXPECT_THROW(SearchPool(jobs).run(tasks), std::runtime_error) << jobs;
    for (const auto& count : runs) EXPECT_EQ(count.load(), 2) << jobs;
  }
  EXPECT_GE(SearchPool::defaultJobs(), 1);
  EXPECT_LE(SearchPool::defaultJobs(), 8);
  EXPECT_EQ(SearchPool(0).jobs(), 1);
}

}  // namespace
}  // namespace vimbrel::testing
