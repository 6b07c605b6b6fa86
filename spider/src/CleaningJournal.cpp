#include "spider/CleaningJournal.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/PlistReader.h"

namespace vimbrel::spider {

namespace {

constexpr const char* kSuffix = ".cleaning";
// A record is a few paths and names; anything larger is not ours.
constexpr std::size_t kMaxRecordBytes = 256 * 1024;

// One "key=value" line per field; newlines, "=" and "%" in values are
// written as %XX so that any name survives.
std::string escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\n' || c == '%' || c == '\r') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string unescape(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && hexDigit(value[i + 1]) >= 0 &&
        hexDigit(value[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(value[i + 1]) * 16 + hexDigit(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

}  // namespace

CleaningRecord CleaningRecord::of(const ApplicationItem& item, FileIdentity identity) {
  CleaningRecord record;
  record.identity = identity;
  record.url = item.url;
  record.label = item.label;
  record.label_name = item.label_name;
  record.bundle_name_info = item.bundle_name_info;
  record.executable_info = item.executable_info;
  record.bundle = item.bundle;
  record.bundle_name = item.bundle_name;
  record.company_name = item.company_name;
  return record;
}

ApplicationItem CleaningRecord::item() const {
  ApplicationItem item;
  item.url = url;
  item.label = label;
  item.label_name = label_name;
  item.bundle_name_info = bundle_name_info;
  item.executable_info = executable_info;
  item.bundle = bundle;
  item.bundle_name = bundle_name;
  item.company_name = company_name;
  return item;
}

CleaningJournal::CleaningJournal(std::string folder) : folder_(std::move(folder)) {}

std::string CleaningJournal::fileFor(const FileIdentity& identity) const {
  return paths::append(
      folder_, std::to_string(identity.device) + "-" + std::to_string(identity.inode) + kSuffix);
}

bool CleaningJournal::record(const CleaningRecord& cleaning) {
  std::string text;
  auto line = [&](const char* key, const std::string& value) {
    text += key;
    text += '=';
    text += escape(value);
    text += '\n';
  };
  auto optional = [&](const char* key, const std::optional<std::string>& value) {
    if (value) line(key, *value);
  };
  line("device", std::to_string(cleaning.identity.device));
  line("inode", std::to_string(cleaning.identity.inode));
  line("url", cleaning.url);
  line("label", cleaning.label);
  line("label_name", cleaning.label_name);
  line("bundle_name_info", cleaning.bundle_name_info);
  line("executable_info", cleaning.executable_info);
  optional("bundle", cleaning.bundle);
  optional("bundle_name", cleaning.bundle_name);
  optional("company_name", cleaning.company_name);
  std::lock_guard lock(mutex_);
  if (!atomicfile::makeFolders(folder_, 0700).isOk()) return false;
  return atomicfile::replaceFile(fileFor(cleaning.identity),
                                 std::vector<std::uint8_t>(text.begin(), text.end()), 0600)
      .isOk();
}

void CleaningJournal::remove(const FileIdentity& identity) {
  std::lock_guard lock(mutex_);
  ::unlink(fileFor(identity).c_str());
}

std::vector<CleaningRecord> CleaningJournal::pending() const {
  std::lock_guard lock(mutex_);
  std::vector<CleaningRecord> records;
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(folder_.c_str()), ::closedir);
  if (!folder) return records;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (!name.ends_with(kSuffix)) continue;
    const std::string path = paths::append(folder_, name);
    const plistreader::FileBytes file = plistreader::readRegularFile(path, kMaxRecordBytes);
    std::map<std::string, std::string> fields;
    if (file.outcome == plistreader::FileOutcome::Loaded) {
      const std::string text(file.bytes.begin(), file.bytes.end());
      std::size_t at = 0;
      while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
          fields[line.substr(0, equals)] = unescape(line.substr(equals + 1));
        }
        at = end + 1;
      }
    }
    auto field = [&](const char* key) -> std::optional<std::string> {
      auto found = fields.find(key);
      if (found == fields.end()) return std::nullopt;
      return found->second;
    };
    CleaningRecord record;
    try {
      record.identity = {std::stoull(field("device").value_or("x")),
                         std::stoull(field("inode").value_or("x"))};
    } catch (const std::exception&) {
      std::fprintf(stderr, "vimbrel-spider: dropping unreadable cleaning record %s\n",
                   path.c_str());
      ::unlink(path.c_str());
      continue;
    }
    record.url = field("url").value_or("");
    record.label = field("label").value_or("");
    record.label_name = field("label_name").value_or("");
    record.bundle_name_info = field("bundle_name_info").value_or("");
    record.executable_info = field("executable_info").value_or("");
    record.bundle = field("bundle");
    record.bundle_name = field("bundle_name");
    record.company_name = field("company_name");
    if (record.url.empty() || !record.bundle) {
      ::unlink(path.c_str());
      continue;
    }
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace vimbrel::spider
