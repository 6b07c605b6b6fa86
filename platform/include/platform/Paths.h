#pragma once

#include <string>
#include <string_view>

// Path text helpers with the platform's URL path rules: one trailing slash is
// ignored, "/" is its own last component, and an extension is what follows the
// last dot of the last component unless that dot is first or last or the
// extension holds a space or a slash.
namespace vimbrel::paths {

std::string_view lastComponent(std::string_view path);
std::string_view extension(std::string_view path);
// The path without its last component ("/" for a top-level entry).
std::string parent(std::string_view path);
// Appends one component, inserting "/" when needed.
std::string append(std::string_view path, std::string_view component);
// Removes a trailing slash (except for "/" itself) and repeated slashes.
std::string normalize(std::string_view path);
// True when `path` equals `folder` or lies below it (component-wise, not by prefix text).
bool isWithin(std::string_view path, std::string_view folder);

// True for a directory name whose extension, compared without regard to case,
// is one of the package extensions (app, appex, bundle, framework, plugin, kext,
// xpc, prefPane, qlgenerator, mdimporter, saver, component, docset, rtfd, pkg,
// mpkg, photoslibrary, xcodeproj, xcworkspace, playground, safariextension).
bool isPackageName(std::string_view name);

// The name the file browser shows: the last component, with ".app" hidden for
// application bundles (Tool.app shows as Tool).
std::string displayName(std::string_view path);

}  // namespace vimbrel::paths
