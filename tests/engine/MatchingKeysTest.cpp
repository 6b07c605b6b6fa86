#include <gtest/gtest.h>

#include "engine/MatchingKeys.h"

namespace vimbrel {
namespace {

MatchingKeys keysFor(const std::string& label, std::optional<std::string> company) {
  ApplicationItem item;
  item.label = label;
  item.company_name = std::move(company);
  return deriveMatchingKeys(item);
}

TEST(MatchingKeys, LettersOnlyLabelKeepsTheRangeAToSmallZ) {
  EXPECT_EQ(keysFor("Word", "example").lettersOnlyLabel, "Word");
  EXPECT_EQ(keysFor("A-B", "example").lettersOnlyLabel, "AB");
  EXPECT_EQ(keysFor("7z", "example").lettersOnlyLabel, "label_name_ad_is_small");
  EXPECT_EQ(keysFor("", "example").lettersOnlyLabel, "label_name_ad_is_small");
  EXPECT_EQ(keysFor("Tool_2 [beta]", "example").lettersOnlyLabel, "Tool_[beta]");
  EXPECT_EQ(keysFor("Café Crème", "example").lettersOnlyLabel, "CafCrme");
}

TEST(MatchingKeys, CapitalizedCompanyAndThePlatformCompany) {
  EXPECT_EQ(keysFor("Tool", "example").capitalizedCompany, "Example");
  EXPECT_EQ(keysFor("Tool", "EXAMPLE").capitalizedCompany, "Example");
  EXPECT_EQ(keysFor("Tool", "élan").capitalizedCompany, "Élan");
  EXPECT_EQ(keysFor("Tool", "").capitalizedCompany, "");
  EXPECT_EQ(keysFor("Tool", std::nullopt).capitalizedCompany, "");

  ApplicationItem platform;
  platform.company_name = "apple";
  EXPECT_EQ(deriveMatchingKeys(platform).capitalizedCompany, "Apple");
  EXPECT_EQ(platform.company_name, "companyname");
  // Only exactly "apple" is the platform's company.
  ApplicationItem other;
  other.company_name = "Apple";
  deriveMatchingKeys(other);
  EXPECT_EQ(other.company_name, "Apple");
}

}  // namespace
}  // namespace vimbrel
