#include <gtest/gtest.h>

#include <QLocale>

#include "RTKTexts.h"

namespace vimbrel {
namespace {

// Restores the default locale the test found.
class DefaultLocale {
 public:
  DefaultLocale() = default;
  ~DefaultLocale() { QLocale::setDefault(saved_); }
  DefaultLocale(const DefaultLocale&) = delete;
  DefaultLocale& operator=(const DefaultLocale&) = delete;

 private:
  QLocale saved_;
};

// The German translation is embedded in the framework and follows the host's
// locale, also when it changes after the first text; English is the fallback.
TEST(PromptTexts, GermanFromTheEmbeddedTranslationEnglishOtherwise) {
  const DefaultLocale restore;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(rtktexts::tr("Send Feedback"), QStringLiteral("Send Feedback"));

  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(rtktexts::tr("Send Feedback"), QStringLiteral("Feedback senden"));
  EXPECT_EQ(rtktexts::tr("Close"), QStringLiteral("Schließen"));
  EXPECT_TRUE(
      rtktexts::trWithAppName("Are you enjoying %@?").startsWith(QStringLiteral("Gefällt Ihnen ")));
  EXPECT_FALSE(rtktexts::trWithAppName("Are you enjoying %@?").contains(QStringLiteral("%@")));
  // A text the translation lacks stays English.
  EXPECT_EQ(rtktexts::tr("Not a prompt text"), QStringLiteral("Not a prompt text"));

  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  EXPECT_EQ(rtktexts::tr("Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
}  // namespace vimbrel
