#include "PlistValue.h"

#include <plist/plist.h>

#include <utility>

namespace vimbrel::demo {

namespace {

plist_t newString(std::string_view text) { return plist_new_string(std::string(text).c_str()); }

}  // namespace

PlistValue PlistValue::dictionary() { return PlistValue(plist_new_dict()); }
PlistValue PlistValue::array() { return PlistValue(plist_new_array()); }

PlistValue::~PlistValue() {
  if (node_ != nullptr) plist_free(static_cast<plist_t>(node_));
}

PlistValue::PlistValue(PlistValue&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}

void* PlistValue::release() { return std::exchange(node_, nullptr); }

PlistValue& PlistValue::set(const char* key, std::string_view text) {
  plist_dict_set_item(static_cast<plist_t>(node_), key, newString(text));
  return *this;
}

PlistValue& PlistValue::setInteger(const char* key, std::uint64_t value) {
  plist_dict_set_item(static_cast<plist_t>(node_), key, plist_new_uint(value));
  return *this;
}

PlistValue& PlistValue::setBool(const char* key, bool value) {
  plist_dict_set_item(static_cast<plist_t>(node_), key, plist_new_bool(value ? 1 : 0));
  return *this;
}

PlistValue& PlistValue::setData(const char* key, std::string_view bytes) {
  plist_dict_set_item(static_cast<plist_t>(node_), key,
                      plist_new_data(bytes.data(), static_cast<std::uint64_t>(bytes.size())));
  return *this;
}

PlistValue& PlistValue::set(const char* key, PlistValue&& child) {
  plist_dict_set_item(static_cast<plist_t>(node_), key, static_cast<plist_t>(child.release()));
  return *this;
}

PlistValue& PlistValue::append(std::string_view text) {
  plist_array_append_item(static_cast<plist_t>(node_), newString(text));
  return *this;
}

PlistValue& PlistValue::append(PlistValue&& child) {
  plist_array_append_item(static_cast<plist_t>(node_), static_cast<plist_t>(child.release()));
  return *this;
}

std::string PlistValue::serialize(PlistFormat format) const {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (format == PlistFormat::Binary) {
    plist_to_bin(static_cast<plist_t>(node_), &bytes, &length);
  } else {
    plist_to_xml(static_cast<plist_t>(node_), &bytes, &length);
  }
  if (bytes == nullptr) return {};
  std::string out(bytes, length);
  if (format == PlistFormat::Binary) {
    plist_to_bin_free(bytes);
  } else {
    plist_to_xml_free(bytes);
  }
  return out;
}

}  // namespace vimbrel::demo
