#pragma once

#include <string>

// The process-wide text locale behind currentLocale()/setCurrentLocale(), read lock-free
// on the hot path: folding asks only whether Turkic casing applies.
namespace vimbrel::text::detail {

// True when the current locale's language is Turkish or Azeri, whose dotted and dotless I
// case-fold differently.
bool usesTurkicCasing();

// Changes whenever the current locale does, so per-thread caches know to rebuild.
unsigned localeGeneration();

}  // namespace vimbrel::text::detail
