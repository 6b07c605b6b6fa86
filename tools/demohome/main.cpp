// vimbrel-demohome: writes the demo home and, on request, the demo's own
// settings with grants for it.
#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "demohome/DemoHome.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"

namespace {

using namespace vimbrel;

constexpr int kExitFailure = 1;
constexpr int kExitRefused = 2;

struct Arguments {
  std::string out;
  std::string login;
  std::string config;
  int scale = 0;
  bool allowAny = false;
};

void printUsage(std::ostream& stream) {
  stream << "usage: vimbrel-demohome --out DIR [--login NAME] [--scale N] [--config DIR]"
            " [--allow-any]\n"
            "  --out DIR     folder to write the demo tree into (empty, missing or an\n"
            "                earlier demo tree, which is replaced)\n"
            "  --login NAME  name of the home under Users/ (default: your login name)\n"
            "  --scale N     add about N x 100,000 entries for benchmarks\n"
            "  --config DIR  write grants for the tree into the settings under DIR/vimbrel\n"
            "  --allow-any   let the programs search the system folders of the tree\n";
}

bool parseScale(std::string_view text, int& scale) {
  if (text.empty() || text.size() > 4) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  scale = value;
  return true;
}

// Returns 0 when the arguments are usable, else the exit code.
int parseArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      printUsage(std::cout);
      std::exit(0);
    }
    if (option == "--allow-any") {
      args.allowAny = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::cerr << "vimbrel-demohome: " << option << " needs a value\n";
      return kExitRefused;
    }
    const std::string value = argv[++i];
    if (option == "--out") {
      args.out = value;
    } else if (option == "--login") {
      args.login = value;
    } else if (option == "--config") {
      args.config = value;
    } else if (option == "--scale") {
      if (!parseScale(value, args.scale)) {
        std::cerr << "vimbrel-demohome: --scale wants a whole number, not \"" << value << "\"\n";
        return kExitRefused;
      }
    } else {
      std::cerr << "vimbrel-demohome: unknown option " << option << "\n";
      printUsage(std::cerr);
      return kExitRefused;
    }
  }
  if (args.out.empty()) {
    std::cerr << "vimbrel-demohome: --out DIR is required\n";
    printUsage(std::cerr);
    return kExitRefused;
  }
  return 0;
}

std::string absolutePath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// Grants for the tree in the application's and the agent's stores. The
// whole-disk grant is written, but it is used only when AllowAny is 1.
// Returns false when a store could not be written.
bool writeGrants(const std::string& configFolder, const std::string& root, const std::string& login,
                 bool allowAny) {
  const std::string home = demo::demoHomeFolder(root, login);
  const std::string applications = demo::demoApplicationsFolder(root);
  const std::string settings = configFolder + "/vimbrel";
  const auto application = openPlistSettingsStore(settings, domains::kApplication);
  application->setBlob(keys::kHome, createGrant(home));
  application->setBlob(keys::kApplications, createGrant(applications));
  application->setBlob(keys::kMacOS, createGrant(root));
  application->setInteger(keys::kAllowAny, allowAny ? 1 : 0);
  const bool applicationSaved = application->synchronize();
  const auto agent = openPlistSettingsStore(settings, domains::kAgent);
  agent->setBlob(keys::kHomeAccess, createGrant(home));
  agent->setBlob(keys::kApplications, createGrant(applications));
  agent->setBlob(keys::kMacOS, createGrant(root));
  agent->setInteger(keys::kAllowAny, allowAny ? 1 : 0);
  return agent->synchronize() && applicationSaved;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const int refused = parseArguments(argc, argv, args); refused != 0) return refused;
  if (args.login.empty()) args.login = userLoginName();

  const demo::DemoRootState state = demo::inspectDemoRoot(args.out);
  if (state == demo::DemoRootState::Foreign) {
    std::cerr << "vimbrel-demohome: " << args.out
              << " is not empty and holds no earlier demo tree (no " << demo::kDemoMarkerName
              << "); choose an empty or new folder\n";
    return kExitRefused;
  }
  if (state == demo::DemoRootState::NotAFolder) {
    std::cerr << "vimbrel-demohome: " << args.out << " is not a folder\n";
    return kExitRefused;
  }

  demo::DemoHomeOptions options;
  options.loginName = args.login;
  options.scale = args.scale;
  if (const Status status = demo::generateDemoHome(args.out, options); !status) {
    std::cerr << "vimbrel-demohome: " << status.message() << "\n";
    return kExitFailure;
  }
  const std::string root = absolutePath(args.out);
  if (!args.config.empty() &&
      !writeGrants(absolutePath(args.config), root, args.login, args.allowAny)) {
    std::cerr << "vimbrel-demohome: cannot write the demo settings under " << args.config << "\n";
    return kExitFailure;
  }
  std::cout << "demo home written to " << root << " (home "
            << demo::demoHomeFolder(root, args.login) << ")\n";
  return 0;
}
