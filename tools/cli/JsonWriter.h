#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "Output.h"

namespace vimbrel::cli {

// Writes one JSON document to a stream, inserting the commas itself.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  JsonWriter& beginObject() { return open('{'); }
  JsonWriter& endObject() { return close('}'); }
  JsonWriter& beginArray() { return open('['); }
  JsonWriter& endArray() { return close(']'); }
  JsonWriter& key(std::string_view name) {
    separate();
    string(name);
    out_ << ':';
    afterKey_ = true;
    return *this;
  }
  JsonWriter& field(std::string_view name, std::string_view value) {
    key(name);
    separate();
    string(value);
    return *this;
  }
  JsonWriter& field(std::string_view name, const std::optional<std::string>& value) {
    if (!value) {
      key(name);
      separate();
      out_ << "null";
      return *this;
    }
    return field(name, std::string_view(*value));
  }
  JsonWriter& field(std::string_view name, const char* value) {
    return field(name, std::string_view(value));
  }
  JsonWriter& field(std::string_view name, const std::string& value) {
    return field(name, std::string_view(value));
  }
  JsonWriter& field(std::string_view name, bool value) {
    key(name);
    separate();
    out_ << (value ? "true" : "false");
    return *this;
  }
  JsonWriter& field(std::string_view name, int value) {
    return field(name, static_cast<std::uint64_t>(value < 0 ? 0 : value));
  }
  JsonWriter& field(std::string_view name, std::uint64_t value) {
    key(name);
    separate();
    out_ << value;
    return *this;
  }
  // A text element of an array.
  JsonWriter& element(std::string_view text) {
    separate();
    string(text);
    return *this;
  }

 private:
  JsonWriter& open(char bracket) {
    separate();
    out_ << bracket;
    first_.push_back(true);
    return *this;
  }
  JsonWriter& close(char bracket) {
    out_ << bracket;
    first_.pop_back();
    return *this;
  }
  // Writes the comma between values; a value right after its key needs none.
  void separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ << ',';
    first_.back() = false;
  }
  // Always valid UTF-8: bytes that are not become U+FFFD.
  void string(std::string_view raw) {
    const std::string text = validUtf8(raw);
    out_ << '"';
    for (char c : text) {
      switch (c) {
        case '"':
          out_ << "\\\"";
          break;
        case '\\':
          out_ << "\\\\";
          break;
        case '\n':
          out_ << "\\n";
          break;
        case '\t':
          out_ << "\\t";
          break;
        default:
          if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out_ << escaped;
          } else {
            out_ << c;
          }
      }
    }
    out_ << '"';
  }

  std::ostream& out_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

}  // namespace vimbrel::cli
