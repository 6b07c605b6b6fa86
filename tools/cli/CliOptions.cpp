#include "CliOptions.h"

#include <charconv>
#include <system_error>

namespace vimbrel::cli {

const char* const kUsage =
    "usage: vimbrel-cli [--home DIR] [--applications DIR] [--root DIR] [--jobs N] COMMAND\n"
    "       vimbrel-cli --help | --version\n"
    "\n"
    "commands:\n"
    "  apps                          list the installed applications\n"
    "  scan APP [--json] [--why]     list what APP leaves behind, by group, with sizes\n"
    "                                (--why: the step, value and test that listed each)\n"
    "  remove APP [--keep PATH]... [--include-claimed [PATH]]... [--why] [--yes]\n"
    "                                remove APP and its remainders (without --yes: show\n"
    "                                what would be removed and remove nothing); with\n"
    "                                --yes --json, what was removed and what could not\n"
    "                                be, each with its reason, as JSON\n"
    "  plugins                       list the plug-ins, with sizes\n"
    "  prefpanes                     list the preference panes, with sizes\n"
    "  safari-extensions             list the Safari extensions, with sizes\n"
    "  remove-extension EXT [--yes]  remove EXT and its remainders (without --yes: show\n"
    "                                what would be removed and remove nothing)\n"
    "  grant home|applications|root DIR [--agent]\n"
    "                                store a folder grant in the application's settings\n"
    "                                (--agent: the agent's), as the access windows do\n"
    "  grants [--agent]              show the stored grants and whether each is valid\n"
    "\n"
    "APP is an application bundle path or a label as `apps` prints it.\n"
    "EXT is a plug-in, preference pane or Safari extension: its path or its bundle\n"
    "identifier as the lists print them.\n"
    "A location that belongs to another installed application, or that two share,\n"
    "is listed as kept (\"Also used by ...\", \"Shared with ...\", \"Holds ...\") and\n"
    "never removed, nor is a folder holding one: --include-claimed PATH (an absolute\n"
    "path as scan lists it, repeatable) removes that one all the same; a bare\n"
    "--include-claimed removes every kept location.\n"
    "--home, --applications and --root grant a folder for this run only; --root also\n"
    "searches the system folders under it, and grants DIR/Applications when no\n"
    "Applications folder is granted.\n"
    "--jobs N searches with N threads (default: one per core, at most 8); the result\n"
    "is the same for every N, and 1 walks one folder after the other.\n"
    "\n"
    "exit status: 0 done, 1 something could not be removed or the application (for\n"
    "a Safari extension: Safari) is running, 2 bad input\n";

namespace {

// A thread count from 1 to 64.
bool parseJobs(const std::string& text, int& jobs, std::string& error) {
  int value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 1 ||
      value > 64) {
    error = "--jobs needs a thread count from 1 to 64";
    return false;
  }
  jobs = value;
  return true;
}

}  // namespace

std::optional<CliOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::optional<std::string>& into) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a folder";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      options.command = Command::Help;
      return options;
    } else if (arg == "--version") {
      options.command = Command::Version;
      return options;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--yes") {
      options.yes = true;
    } else if (arg == "--why") {
      options.why = true;
    } else if (arg == "--include-claimed") {
      // After APP and followed by an absolute path: that one kept location;
      // bare: all of them.
      if (positional.size() > 1 && i + 1 < args.size() && args[i + 1].starts_with('/')) {
        options.includeClaimedPaths.push_back(args[++i]);
      } else {
        options.includeClaimed = true;
      }
    } else if (arg == "--keep") {
      std::optional<std::string> path;
      if (!value(path)) {
        error = "--keep needs a path";
        return std::nullopt;
      }
      options.keep.push_back(*path);
    } else if (arg == "--jobs") {
      if (!parseJobs(i + 1 < args.size() ? args[++i] : std::string(), options.jobs, error)) {
        return std::nullopt;
      }
    } else if (arg == "--home") {
      if (!value(options.home)) return std::nullopt;
    } else if (arg == "--applications") {
      if (!value(options.applications)) return std::nullopt;
    } else if (arg == "--root") {
      if (!value(options.root)) return std::nullopt;
    } else if (arg.size() > 1 && arg.front() == '-') {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) {
    error = "no command given";
    return std::nullopt;
  }
  const std::string& command = positional.front();
  if (command == "apps") {
    options.command = Command::Apps;
  } else if (command == "scan") {
    options.command = Command::Scan;
  } else if (command == "remove") {
    options.command = Command::Remove;
  } else if (command == "plugins") {
    options.command = Command::Plugins;
  } else if (command == "prefpanes") {
    options.command = Command::PrefPanes;
  } else if (command == "safari-extensions") {
    options.command = Command::SafariExtensions;
  } else if (command == "remove-extension") {
    options.command = Command::RemoveExtension;
  } else {
    error = "unknown command \"" + command + "\"";
    return std::nullopt;
  }
  const bool takesApplication =
      options.command == Command::Scan || options.command == Command::Remove;
  const bool takesExtension = options.command == Command::RemoveExtension;
  const std::size_t wanted = takesApplication || takesExtension ? 2 : 1;
  if (positional.size() < wanted) {
    error = takesExtension ? command +
                                 " needs a plug-in, preference pane or Safari extension (a path "
                                 "or a bundle identifier)"
                           : command + " needs an application (a bundle path or a label)";
    return std::nullopt;
  }
  if (positional.size() > wanted) {
    error = "unexpected argument \"" + positional[wanted] + "\"";
    return std::nullopt;
  }
  if (takesApplication) options.application = positional[1];
  if (takesExtension) options.extension = positional[1];
  if (options.json && options.command != Command::Scan &&
      !(options.command == Command::Remove && options.yes)) {
    error = "--json is for scan and remove --yes";
    return std::nullopt;
  }
  if (options.yes && options.command != Command::Remove &&
      options.command != Command::RemoveExtension) {
    error = "--yes is for remove and remove-extension";
    return std::nullopt;
  }
  if (options.why && options.command != Command::Scan && options.command != Command::Remove) {
    error = "--why is for scan and remove";
    return std::nullopt;
  }
  if ((options.includeClaimed || !options.includeClaimedPaths.empty()) &&
      options.command != Command::Remove) {
    error = "--include-claimed is for remove";
    return std::nullopt;
  }
  if (!options.keep.empty() && options.command != Command::Remove) {
    error = "--keep is for remove";
    return std::nullopt;
  }
  return options;
}

}  // namespace vimbrel::cli
