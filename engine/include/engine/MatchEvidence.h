#pragma once

#include <optional>
#include <string>
#include <vector>

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

// How strongly one path component ties an entry to an application: it is
// one of the application's product values (label, CFBundleName, identifier,
// its last component, executable), contains one, or only names its vendor
// (its company, or a value two installed applications share).
enum class EvidenceStrength { None, Vendor, Contains, Equals };

// Whose an entry is, as decided among all installed applications.
enum class Ownership {
  Own,          // the reviewed application's: it may go
  Claimed,      // another application's, or a folder holding one: kept
  Shared,       // tied between the reviewed application and others: kept
  HoldsBundle,  // a folder holding another application's bundle: kept
};

// What another candidate had on the deciding component.
struct RivalEvidence {
  std::string label;
  EvidenceStrength strength = EvidenceStrength::None;
  std::string value;
};

// The decision, with its evidence: the component of the path that decided,
// the reviewed application's evidence there, and every other candidate's.
struct OwnershipDecision {
  Ownership kind = Ownership::Own;
  std::string component;
  EvidenceStrength strength = EvidenceStrength::None;
  std::string value;
  std::vector<RivalEvidence> others;
  // For a folder kept for what it holds: the kept entry or bundle inside it.
  std::string holds;
};

const char* evidenceStrengthName(EvidenceStrength strength);
const char* ownershipName(Ownership kind);

// How a value and a test are named to the user ("bundle identifier", "contains").
const char* matchedValueName(MatchedValue value);
const char* matchTestName(MatchTest test);

}  // namespace vimbrel
