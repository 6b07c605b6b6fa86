#include "GrantCommands.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "engine/SettingsKeys.h"
#include "platform/Grant.h"
#include "platform/HomeFolderRule.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "platform/User.h"

namespace vimbrel::cli {

namespace {

enum class Kind { Home, Applications, Root };

struct GrantArgs {
  bool list = false;
  Kind kind = Kind::Home;
  std::string folder;
  bool agent = false;
};

std::optional<GrantArgs> parse(const std::vector<std::string>& args, std::string& error) {
  GrantArgs parsed;
  std::vector<std::string> positional;
  for (const std::string& arg : args) {
    if (arg == "--agent") {
      parsed.agent = true;
    } else if (arg.size() > 1 && arg.front() == '-') {
      error = "unknown option " + arg + " for " + args.front();
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.front() == "grants") {
    parsed.list = true;
    if (positional.size() > 1) {
      error = "unexpected argument \"" + positional[1] + "\"";
      return std::nullopt;
    }
    return parsed;
  }
  if (positional.size() != 3) {
    error = "grant needs what to grant (home, applications or root) and a folder";
    return std::nullopt;
  }
  const std::string& what = positional[1];
  if (what == "home") {
    parsed.kind = Kind::Home;
  } else if (what == "applications") {
    parsed.kind = Kind::Applications;
  } else if (what == "root") {
    parsed.kind = Kind::Root;
  } else {
    error = "grant: \"" + what + "\" is not home, applications or root";
    return std::nullopt;
  }
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(positional[2], ec);
  if (ec) {
    error = "grant: cannot make " + positional[2] + " absolute";
    return std::nullopt;
  }
  parsed.folder = paths::normalize(absolute.lexically_normal().string());
  return parsed;
}

const char* keyFor(Kind kind, bool agent) {
  switch (kind) {
    case Kind::Home:
      return agent ? keys::kHomeAccess : keys::kHome;
    case Kind::Applications:
      return keys::kApplications;
    case Kind::Root:
      return keys::kMacOS;
  }
  return keys::kHome;
}

// What the folder must be called for its grant to count as valid.
std::string expectedName(Kind kind) {
  switch (kind) {
    case Kind::Home:
      return userLoginName();
    case Kind::Applications:
      return "Applications";
    case Kind::Root:
      return "/";
  }
  return {};
}

const char* wordFor(Kind kind) {
  switch (kind) {
    case Kind::Home:
      return "home";
    case Kind::Applications:
      return "applications";
    case Kind::Root:
      return "root";
  }
  return "";
}

// One line on the validity of a resolved grant.
std::string judge(Kind kind, const ResolvedGrant& grant, const SettingsStore& store) {
  if (!grant.location) return "not granted";
  const std::string name = expectedName(kind);
  std::string verdict;
  if (grant.stale) {
    verdict = "stale (the folder was moved or replaced): grant it again";
  } else if (kind == Kind::Root) {
    // Any folder serves as the volume once "AllowAny" is 1; only the root
    // folder completes the whole-disk grant.
    verdict = store.integer(keys::kAllowAny) == 1 ? "valid, system folders searched"
                                                  : "stored, but AllowAny is not 1";
    if (paths::lastComponent(*grant.location) != "/") verdict += " (not the root folder \"/\")";
  } else if (kind == Kind::Home) {
    verdict =
        isHomeFolder(*grant.location, name) ? "valid" : "not valid: " + homeFolderRequirement(name);
  } else if (name.empty() || paths::lastComponent(*grant.location) != name) {
    verdict = "not valid: the folder must be called \"" + name + "\"";
  } else {
    verdict = "valid";
  }
  return *grant.location + "  " + verdict;
}

}  // namespace

bool isGrantCommand(const std::vector<std::string>& args) {
  return !args.empty() && (args.front() == "grant" || args.front() == "grants");
}

int runGrantCommand(const std::vector<std::string>& args) {
  std::string error;
  auto parsed = parse(args, error);
  if (!parsed) {
    std::cerr << "vimbrel-cli: " << error << '\n';
    return kBadInput;
  }
  auto store = openPlistSettingsStore(settingsFolder(),
                                      parsed->agent ? domains::kAgent : domains::kApplication);
  const char* whose = parsed->agent ? "agent" : "application";
  if (parsed->list) {
    for (Kind kind : {Kind::Home, Kind::Applications, Kind::Root}) {
      const ResolvedGrant grant = resolve_grant(*store, keyFor(kind, parsed->agent));
      std::cout << wordFor(kind) << ": " << judge(kind, grant, *store) << '\n';
    }
    return kDone;
  }
  const Blob grant = createGrant(parsed->folder);
  if (grant.empty()) {
    std::cerr << "vimbrel-cli: grant: " << parsed->folder << " is not a folder\n";
    return kBadInput;
  }
  // Any folder is stored, as the windows store whatever was chosen; the
  // line below says whether it counts.
  store->setBlob(keyFor(parsed->kind, parsed->agent), grant);
  if (parsed->kind == Kind::Root) store->setInteger(keys::kAllowAny, 1);
  if (!store->synchronize()) {
    std::cerr << "vimbrel-cli: grant: the " << whose << "'s settings could not be saved\n";
    return kBadInput;
  }
  std::cout << "granted to the " << whose << ": " << wordFor(parsed->kind) << ": "
            << judge(parsed->kind, resolve_grant(*store, keyFor(parsed->kind, parsed->agent)),
                     *store)
            << '\n';
  return kDone;
}

}  // namespace vimbrel::cli
