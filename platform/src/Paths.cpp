#include "platform/Paths.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vimbrel::paths {

namespace {

std::string_view withoutTrailingSlash(std::string_view path) {
  if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Folders the file browser shows as single files. A deep listing that skips
// packages takes them whole and never lists what is inside (a user's project
// in Application Support is not searched file by file).
constexpr std::array<std::string_view, 21> kPackageExtensions = {
    "app",         "appex",         "bundle",
    "framework",   "plugin",        "kext",
    "xpc",         "prefPane",      "qlgenerator",
    "mdimporter",  "saver",         "component",
    "docset",      "rtfd",          "pkg",
    "mpkg",        "photoslibrary", "xcodeproj",
    "xcworkspace", "playground",    "safariextension"};

}  // namespace

std::string_view lastComponent(std::string_view path) {
  path = withoutTrailingSlash(path);
  if (path == "/") return path;
  auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view extension(std::string_view path) {
  std::string_view name = lastComponent(path);
  auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return {};
  std::string_view ext = name.substr(dot + 1);
  if (ext.find_first_of(" /") != std::string_view::npos) return {};
  // Bidirectional control characters (U+200E/F, U+202A-E, U+2066-9) in UTF-8.
  for (std::size_t i = 0; i + 2 < ext.size(); ++i) {
    auto b0 = static_cast<unsigned char>(ext[i]);
    auto b1 = static_cast<unsigned char>(ext[i + 1]);
    auto b2 = static_cast<unsigned char>(ext[i + 2]);
    if (b0 == 0xE2 && b1 == 0x80 && (b2 == 0x8E || b2 == 0x8F || (b2 >= 0xAA && b2 <= 0xAE)))
      return {};
    if (b0 == 0xE2 && b1 == 0x81 && b2 >= 0xA6 && b2 <= 0xA9) return {};
  }
  return ext;
}

std::string parent(std::string_view path) {
  path = withoutTrailingSlash(path);
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string append(std::string_view path, std::string_view component) {
  std::string result(path);
  if (result.empty() || result.back() != '/') result += '/';
  while (!component.empty() && component.front() == '/') component.remove_prefix(1);
  result += component;
  return result;
}

std::string normalize(std::string_view path) {
  std::string result;
  result.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !result.empty() && result.back() == '/') continue;
    result += c;
  }
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

bool isWithin(std::string_view path, std::string_view folder) {
  folder = withoutTrailingSlash(folder);
  path = withoutTrailingSlash(path);
  if (folder == "/") return !path.empty() && path.front() == '/';
  if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

bool isPackageName(std::string_view name) {
  std::string_view ext = extension(name);
  if (ext.empty()) return false;
  return std::any_of(kPackageExtensions.begin(), kPackageExtensions.end(),
                     [&](std::string_view known) { return equalsIgnoringAsciiCase(ext, known); });
}

std::string displayName(std::string_view path) {
  std::string_view name = lastComponent(path);
  if (extension(name) == "app") name.remove_suffix(4);
  return std::string(name);
}

}  // namespace vimbrel::paths
