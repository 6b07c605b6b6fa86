// Prints the arguments that bench_scan_reference needs for one bundle: the
// record's values as the catalog derives them, the matching keys after the
// platform-company step, and the login items the bundle carries. One argument
// per NUL-terminated field, for `mapfile -d ''`.
//
// Usage: bench_scan_record BUNDLE
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/Application.h"
#include "engine/MatchingKeys.h"
#include "platform/FileSystem.h"
#include "platform/MemorySettingsStore.h"
#include "platform/Paths.h"

namespace {

void emit(const std::string& option, const std::optional<std::string>& value) {
  if (!value) return;
  std::cout << option << '\0' << *value << '\0';
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vimbrel;
  if (argc != 2) {
    std::cerr << "usage: bench_scan_record BUNDLE\n";
    return 2;
  }
  const PosixFileSystem fileSystem;
  const MemorySettingsStore store;
  const Application catalog(fileSystem, store);
  ApplicationItem item = catalog.application(argv[1]);
  const MatchingKeys keys = deriveMatchingKeys(item);

  emit("--url", item.url);
  emit("--label", item.label);
  emit("--label-name", item.label_name);
  emit("--bundle", item.bundle);
  emit("--bundle-name", item.bundle_name);
  emit("--bundle-name-info", item.bundle_name_info);
  emit("--executable", item.executable_info);
  emit("--company", item.company_name);
  emit("--capitalized-company", keys.capitalizedCompany);
  emit("--letters-only-label", keys.lettersOnlyLabel);

  const std::string loginItems = paths::append(item.url, "Contents/Library/LoginItems");
  std::vector<std::string> bundles;
  fileSystem.listShallow(loginItems, [&](const DirEntry& entry) {
    if (paths::extension(entry.name) == "app") bundles.emplace_back(entry.path);
    return Visit::Continue;
  });
  for (const std::string& path : bundles) {
    const ApplicationItem loginItem = catalog.application(path);
    std::cout << "--login-item" << '\0' << loginItem.bundle.value_or("") << '\0'
              << loginItem.bundle_name.value_or("") << '\0';
  }
  return 0;
}
