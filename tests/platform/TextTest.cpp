#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace vimbrel::text {
namespace {

// Each test starts in US English and leaves the process locale as it found it.
class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = currentLocale();
    setCurrentLocale("en_US");
  }
  void TearDown() override { setCurrentLocale(saved_); }

 private:
  std::string saved_;
};

struct ContainsCase {
  const char* haystack;
  const char* needle;
  bool expected;
};

void expectContains(std::initializer_list<ContainsCase> cases) {
  for (const ContainsCase& c : cases) {
    EXPECT_EQ(localizedStandardContains(c.haystack, c.needle), c.expected)
        << '"' << c.haystack << "\" contains \"" << c.needle << '"';
  }
}

int sign(int value) { return (value > 0) - (value < 0); }

TEST_F(TextTest, CaseFoldingIsFullUnicodeFolding) {
  expectContains({{"Straße", "strasse", true},
                  {"Straße", "STRASSE", true},
                  {"STRASSE", "straße", true},
                  {"ﬁle", "file", true},
                  {"ﬀ ﬂ ﬃ ﬄ", "FF FL FFI FFL", true},
                  {"ﬅ ﬆ", "st st", true},
                  {"Release Notes", "NOTES", true},
                  {"ΣΊΣΥΦΟΣ", "σίσυφος", true}});
}

TEST_F(TextTest, AccentsAreIgnoredOnlyWhereTheyDecompose) {
  expectContains({{"café", "cafe\u0301", true},
                  {"cafe\u0301", "café", true},
                  {"café", "cafe", true},
                  {"cafe\u0301", "cafe", true},
                  {"cafe", "café", true},
                  {"Café Crème", "CAFE CREME", true},
                  {"naïve", "naive", true},
                  {"Über Mañana", "uber manana", true},
                  {"İstanbul", "istanbul", true},
                  {"Άθήνα", "αθηνα", true},
                  {"Søren", "soren", false},
                  {"Łódź", "lodz", false},
                  {"Æsir", "aesir", false},
                  {"Đorđe", "dorde", false}});
}

TEST_F(TextTest, WidthPunctuationAndEmptyNeedlesAreSignificant) {
  expectContains({{"ＡＢＣ", "abc", false},
                  {"ＡＢＣ", "ａｂｃ", true},
                  {"a-b", "ab", false},
                  {"a b", "ab", false},
                  {"anything", "", false},
                  {"", "", false},
                  {"", "a", false},
                  {"ab", "abc", false}});
}

TEST_F(TextTest, MatchesStayOnGraphemeBoundaries) {
  // Kana voicing marks follow a base above U+0510, so they stay and bind their cluster.
  expectContains({{"ガ", "カ", false},
                  {"\u30AB\u3099", "カ", false},
                  {"ガラス", "ガ", true},
                  {"ガカ", "カ", true},
                  {"ガ", "\u3099", false},
                  {"각", "가", false},
                  {"가각", "가", true},
                  {"कि", "क", false},
                  {"👩\u200D👧", "👩", false},
                  {"👩\u200D👧", "👧", false},
                  {"a\r\nb", "a\r", false}});
}

TEST_F(TextTest, FoldingOnceAgreesWithDirectContainment) {
  const std::vector<std::string> names = {"Straße Tool.app",   "ﬁle.plist", "Café Crème",
                                          "cafe\u0301",        "ガラス",    "Søren",
                                          "İstanbul",          "ＡＢＣ",    "a-b",
                                          "com.example.Thing", "Ångström",  "\xff\xfe bad"};
  const std::vector<std::string> needles = {"strasse", "FILE",  "creme",    "é",   "カ",
                                            "ガ",      "soren", "istanbul", "abc", "AB",
                                            "thing",   "o",     "\xff",     ""};
  for (const std::string& name : names) {
    const Folded foldedName = fold(name);
    for (const std::string& needle : needles) {
      EXPECT_EQ(contains(foldedName, fold(needle)), localizedStandardContains(name, needle))
          << name << " / " << needle;
    }
  }
}

TEST_F(TextTest, AsciiTextFoldsAsTheFullPipelineDoes) {
  // Appending "é" sends the text through ICU; its ASCII part must come out unchanged.
  for (const char* locale : {"en_US", "tr_TR"}) {
    setCurrentLocale(locale);
    for (int c = 0; c < 0x80; ++c) {
      const std::string ascii(1, static_cast<char>(c));
      const std::u16string fast = fold(ascii).units();
      const std::u16string full = fold(ascii + "é").units();
      EXPECT_EQ(fast + u"e", full) << locale << " byte " << c;
    }
  }
}

TEST_F(TextTest, TurkicLocalesCaseDottedAndDotlessI) {
  setCurrentLocale("tr_TR.UTF-8");
  EXPECT_EQ(currentLocale(), "tr_TR");
  expectContains({{"İstanbul", "istanbul", true},
                  {"I\u0307STANBUL", "istanbul", true},
                  {"ISPARTA", "ısparta", true},
                  {"ISTANBUL", "istanbul", false},
                  {"DİYARBAKIR", "diyarbakır", true}});
  EXPECT_EQ(localizedCaseInsensitiveCompare("İstanbul", "istanbul"), 0);
  EXPECT_NE(localizedCaseInsensitiveCompare("ISTANBUL", "istanbul"), 0);
  // Predicate matching ignores the locale.
  EXPECT_TRUE(containsCaseDiacriticInsensitive("ISTANBUL", "istanbul"));
  EXPECT_EQ(foldWithoutLocale("I").units(), u"i");

  setCurrentLocale("az-Latn-AZ");
  EXPECT_TRUE(localizedStandardContains("ISPARTA", "ısparta"));
  setCurrentLocale("en_US");
  EXPECT_TRUE(localizedStandardContains("ISTANBUL", "istanbul"));
  EXPECT_FALSE(localizedStandardContains("ISPARTA", "ısparta"));
}

TEST_F(TextTest, LocaleIdsFromTheEnvironmentBecomeIcuIds) {
  setCurrentLocale("de_DE.UTF-8@euro");
  EXPECT_EQ(currentLocale(), "de_DE");
  setCurrentLocale("C");
  EXPECT_EQ(currentLocale(), "en_US");
  setCurrentLocale("POSIX");
  EXPECT_EQ(currentLocale(), "en_US");
}

TEST_F(TextTest, CompareEqualsCaselessCanonicalEquivalents) {
  EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "APPLE"), 0);
  EXPECT_EQ(localizedCaseInsensitiveCompare("Straße", "STRASSE"), 0);
  EXPECT_EQ(localizedCaseInsensitiveCompare("café", "CAFE\u0301"), 0);
  EXPECT_EQ(localizedCaseInsensitiveCompare("", ""), 0);
  EXPECT_NE(localizedCaseInsensitiveCompare("resume", "résumé"), 0);
  EXPECT_NE(localizedCaseInsensitiveCompare("a\u200Bb", "ab"), 0);
}

TEST_F(TextTest, CompareOrdersLikeADictionary) {
  EXPECT_LT(localizedCaseInsensitiveCompare("a", "B"), 0);
  EXPECT_LT(localizedCaseInsensitiveCompare("Äpfel", "Zebra"), 0);
  EXPECT_LT(localizedCaseInsensitiveCompare("resume", "résumé"), 0);
  EXPECT_LT(localizedCaseInsensitiveCompare("file10", "file9"), 0);
  EXPECT_LT(localizedCaseInsensitiveCompare("item 10", "item 2"), 0);
  EXPECT_GT(localizedCaseInsensitiveCompare("Zebra", "apple"), 0);
  // The collator follows the locale: Swedish sorts ö after z.
  EXPECT_LT(localizedCaseInsensitiveCompare("öl", "zebra"), 0);
  setCurrentLocale("sv_SE");
  EXPECT_GT(localizedCaseInsensitiveCompare("öl", "zebra"), 0);
}

TEST_F(TextTest, CompareIsAConsistentOrdering) {
  const std::vector<std::string> words = {"b",       "A",       "a",      "ä",      "Straße",
                                          "strasse", "Strasse", "file9",  "file10", "a\u200Bb",
                                          "ab",      "résumé",  "resume", "\xff",   ""};
  for (const std::string& x : words) {
    for (const std::string& y : words) {
      EXPECT_EQ(sign(localizedCaseInsensitiveCompare(x, y)),
                -sign(localizedCaseInsensitiveCompare(y, x)))
          << x << " / " << y;
    }
  }
  std::vector<std::string> sorted = words;
  std::sort(sorted.begin(), sorted.end(), [](const std::string& x, const std::string& y) {
    return localizedCaseInsensitiveCompare(x, y) < 0;
  });
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    EXPECT_LE(localizedCaseInsensitiveCompare(sorted[i - 1], sorted[i]), 0);
  }
}

TEST_F(TextTest, IllFormedUtf8ReadsAsReplacementCharacters) {
  EXPECT_EQ(fold("\xff").units(), u"\uFFFD");
  EXPECT_EQ(fold("caf\xc3").units(), u"caf\uFFFD");
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82", "\x80\x80"}) {
    const std::string text = std::string("ab") + bad + "CD";
    EXPECT_TRUE(localizedStandardContains(text, "cd")) << text;
    EXPECT_TRUE(localizedStandardContains(text, "AB")) << text;
    EXPECT_EQ(localizedCaseInsensitiveCompare(text, text), 0);
  }
  const std::string withNul("a\0b", 3);
  EXPECT_TRUE(localizedStandardContains(withNul, std::string("\0B", 2)));
  EXPECT_FALSE(localizedStandardContains(withNul, "ab"));
}

TEST_F(TextTest, ConcurrentCallersGetTheSameAnswers) {
  const auto work = [] {
    bool allRight = true;
    for (int i = 0; i < 300; ++i) {
      allRight &= localizedStandardContains("Café Crème.app", "CREME");
      allRight &= !localizedStandardContains("ガラス", "カ");
      allRight &= containsCaseDiacriticInsensitive("Straße", "SS");
      allRight &= contains(fold("Ångström Lab"), fold("angstrom"));
      allRight &= localizedCaseInsensitiveCompare("Straße", "STRASSE") == 0;
      allRight &= localizedCaseInsensitiveCompare("a", "B") < 0;
    }
    return allRight;
  };
  std::vector<std::thread> threads;
  std::vector<char> results(4, 0);
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] { results[t] = work() ? 1 : 0; });
  }
  // Switching locales underneath must only make the collators reopen.
  for (int i = 0; i < 50; ++i) setCurrentLocale(i % 2 == 0 ? "de_DE" : "en_US");
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::count(results.begin(), results.end(), 1), 4);
}

}  // namespace
}  // namespace vimbrel::text
