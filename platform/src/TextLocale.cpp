#include "TextLocale.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Text.h"

namespace vimbrel::text {
namespace {

// "tr_TR.UTF-8@euro" → "tr_TR"; the C and POSIX locales stand for US English.
std::string icuLocaleId(std::string_view posixId) {
  const std::size_t end = posixId.find_first_of(".@");
  std::string_view id = posixId.substr(0, end);
  if (id.empty() || id == "C" || id == "POSIX") return "en_US";
  return std::string(id);
}

std::string environmentLocaleId() {
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return icuLocaleId(value);
  }
  return "en_US";
}

bool isTurkicLanguage(std::string_view id) {
  const std::string_view language = id.substr(0, id.find_first_of("_-"));
  return language == "tr" || language == "az";
}

class TextLocale {
 public:
  TextLocale() { apply(environmentLocaleId()); }

  std::string id() const {
    std::lock_guard lock(mutex_);
    return id_;
  }

  void set(std::string_view localeId) {
    std::lock_guard lock(mutex_);
    apply(icuLocaleId(localeId));
  }

  bool turkic() const { return turkic_.load(std::memory_order_acquire); }
  unsigned generation() const { return generation_.load(std::memory_order_acquire); }

 private:
  void apply(std::string id) {
    id_ = std::move(id);
    turkic_.store(isTurkicLanguage(id_), std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_acq_rel);
  }

  mutable std::mutex mutex_;
  std::string id_;
  std::atomic<bool> turkic_{false};
  std::atomic<unsigned> generation_{0};
};

TextLocale& textLocale() {
  static TextLocale locale;
  return locale;
}

}  // namespace

std::string currentLocale() { return textLocale().id(); }

void setCurrentLocale(std::string_view localeId) { textLocale().set(localeId); }

namespace detail {

bool usesTurkicCasing() { return textLocale().turkic(); }

unsigned localeGeneration() { return textLocale().generation(); }

}  // namespace detail
}  // namespace vimbrel::text
