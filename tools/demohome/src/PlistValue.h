#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vimbrel::demo {

enum class PlistFormat { Xml, Binary };

// An owned property-list node (a dictionary or an array) built with libplist.
// Keys keep the order in which they were set, so serializing is deterministic.
class PlistValue {
 public:
  static PlistValue dictionary();
  static PlistValue array();
  ~PlistValue();
  PlistValue(PlistValue&& other) noexcept;
  PlistValue& operator=(PlistValue&&) = delete;
  PlistValue(const PlistValue&) = delete;
  PlistValue& operator=(const PlistValue&) = delete;

  // Dictionary setters.
  PlistValue& set(const char* key, std::string_view text);
  PlistValue& setInteger(const char* key, std::uint64_t value);
  PlistValue& setBool(const char* key, bool value);
  PlistValue& setData(const char* key, std::string_view bytes);
  PlistValue& set(const char* key, PlistValue&& child);
  // Array element.
  PlistValue& append(std::string_view text);
  PlistValue& append(PlistValue&& child);

  // The serialized form; empty when libplist fails.
  std::string serialize(PlistFormat format) const;

 private:
  explicit PlistValue(void* node) : node_(node) {}
  void* release();
  void* node_;
};

}  // namespace vimbrel::demo
