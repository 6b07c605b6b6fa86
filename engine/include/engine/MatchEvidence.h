#pragma once

#include <optional>
#include <string>

namespace vimbrel {

// The record value a listed name was matched with.
enum class MatchedValue {
  Location,            // the application bundle itself
  BundleIdentifier,    // `bundle`
  BundleName,          // `bundle_name`, the identifier's last component
  CFBundleName,        // `bundle_name_info`
  Label,               // `label`
  LabelName,           // `label_name`
  Executable,          // `executable_info`
  Company,             // `company_name`
  CapitalizedCompany,  // the capitalized company key
  LettersOnlyLabel,    // the letters-only label key
};

// How the name was tested against the value.
enum class MatchTest {
  Application,      // the bundle under review, listed first
  Contains,         // the name contains the value (case and diacritics ignored)
  Equals,           // the name is the value
  LoginItem,        // the name contains a value of a login item the bundle carries
  EnclosingFolder,  // the folder holding the bundle is named with the value
};

// Why the search listed an entry: the step, the folder that step lists, and
// the first of the step's tests the entry passed.
struct MatchEvidence {
  int step = 0;
  std::string folder;
  MatchedValue value = MatchedValue::Location;
  std::string text;  // the value as it was matched
  MatchTest test = MatchTest::Contains;
};

// How a value and a test are named to the user ("bundle identifier", "contains").
const char* matchedValueName(MatchedValue value);
const char* matchTestName(MatchTest test);

}  // namespace vimbrel
