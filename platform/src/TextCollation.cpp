#include "TextCollation.h"

#include <unicode/ucol.h>

#include <string>

#include "TextLocale.h"
#include "platform/Text.h"

namespace vimbrel::text::detail {
namespace {

UCollator* openCollator(const std::string& localeId) {
  for (const char* id : {localeId.c_str(), "en_US", ""}) {
    UErrorCode error = U_ZERO_ERROR;
    UCollator* collator = ucol_open(id, &error);
    if (U_FAILURE(error)) continue;
    // Secondary strength without a case level: accents order, case does not.
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &error);
    ucol_setAttribute(collator, UCOL_CASE_LEVEL, UCOL_OFF, &error);
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &error);
    if (U_SUCCESS(error)) return collator;
    ucol_close(collator);
  }
  return nullptr;
}

// One collator per thread, reopened when the current locale changes.
class ThreadCollator {
 public:
  ThreadCollator() = default;
  ThreadCollator(const ThreadCollator&) = delete;
  ThreadCollator& operator=(const ThreadCollator&) = delete;
  ~ThreadCollator() { close(); }

  UCollator* get() {
    const unsigned generation = localeGeneration();
    if (collator_ == nullptr || generation != generation_) {
      close();
      collator_ = openCollator(currentLocale());
      generation_ = generation;
    }
    return collator_;
  }

 private:
  void close() {
    if (collator_ != nullptr) ucol_close(collator_);
    collator_ = nullptr;
  }

  UCollator* collator_ = nullptr;
  unsigned generation_ = 0;
};

}  // namespace

int collate(std::u16string_view a, std::u16string_view b) {
  thread_local ThreadCollator threadCollator;
  UCollator* collator = threadCollator.get();
  if (collator == nullptr) return a.compare(b);  // No collation data at all: code-unit order.
  const UCollationResult result = ucol_strcoll(collator, a.data(), static_cast<int32_t>(a.size()),
                                               b.data(), static_cast<int32_t>(b.size()));
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

}  // namespace vimbrel::text::detail
