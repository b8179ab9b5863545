#include "foundation/StringUtils.h"

#include <gtest/gtest.h>

#include <ostream>

#include <climits>
#include <sstream>

#include "foundation/KeywordLine.h"

namespace {

TEST(StringUtils, ToFloatReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(toFloat("3.5"), 3.5);
  EXPECT_DOUBLE_EQ(toFloat(" -2.5e1x"), -25.0);
  EXPECT_DOUBLE_EQ(toFloat(".5"), 0.5);
  EXPECT_DOUBLE_EQ(toFloat("abc"), 0.0);
  EXPECT_DOUBLE_EQ(toFloat(""), 0.0);
}

TEST(StringUtils, ToIntReadsTheLeadingIntegerAndClamps) {
  EXPECT_EQ(toInt("42"), 42);
  EXPECT_EQ(toInt("  -17abc"), -17);
  EXPECT_EQ(toInt("3.9"), 3);
  EXPECT_EQ(toInt("x"), 0);
  EXPECT_EQ(toInt("99999999999"), INT_MAX);
  EXPECT_EQ(toInt("-99999999999"), INT_MIN);
}

TEST(StringUtils, ToStringWritesDecimal) {
  EXPECT_EQ(toString(0), "0");
  EXPECT_EQ(toString(7), "7");
  EXPECT_EQ(toString(-45), "-45");
  EXPECT_EQ(toString(1000), "1000");
  EXPECT_EQ(toString(INT_MAX), "2147483647");
  EXPECT_EQ(toString(INT_MIN), "-2147483648");
}

TEST(StringUtils, ToLowerFoldsAsciiOnly) {
  EXPECT_EQ(toLower("HeLLo.TGA"), "hello.tga");
  EXPECT_EQ(toLower("\xC4-Z9_"), "\xC4-z9_");
}

TEST(StringUtils, StartsWith) {
  EXPECT_TRUE(startsWith("abc", ""));
  EXPECT_TRUE(startsWith("", ""));
  EXPECT_TRUE(startsWith("abc", "ab"));
  EXPECT_TRUE(startsWith("abc", "abc"));
  EXPECT_FALSE(startsWith("abc", "bc"));
  EXPECT_FALSE(startsWith("ab", "abc"));
  EXPECT_FALSE(startsWith("xabab", "ab"));
  EXPECT_FALSE(startsWith("", "a"));
}

TEST(StringUtils, TrimRemovesOnlyTheGivenCharacter) {
  EXPECT_EQ(trimLeft("  a b  "), "a b  ");
  EXPECT_EQ(trimRight("  a b  "), "  a b");
  EXPECT_EQ(trim("  a b  "), "a b");
  EXPECT_EQ(trim("\"name\"", '"'), "name");
  EXPECT_EQ(trim("xxaxx", 'x'), "a");
  EXPECT_EQ(trim("xxxx", 'x'), "");
  EXPECT_EQ(trim("", 'x'), "");
  EXPECT_EQ(trim("\t a \t"), "\t a \t");
}

TEST(StringUtils, FindBlankAndNonBlank) {
  EXPECT_EQ(findBlank("ab c"), 2u);
  EXPECT_EQ(findBlank("a\tb"), 1u);
  EXPECT_EQ(findBlank("a b c", 2), 3u);
  EXPECT_EQ(findBlank("abc"), std::string::npos);
  EXPECT_EQ(findBlank("ab", 5), std::string::npos);
  EXPECT_EQ(findNonBlank(" \tx"), 2u);
  EXPECT_EQ(findNonBlank("a  b", 1), 3u);
  EXPECT_EQ(findNonBlank("   "), std::string::npos);
  EXPECT_EQ(findNonBlank(""), std::string::npos);
}

struct SplitCase {
  const char* text;
  const char* word;
  const char* rest;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SplitFirstWord : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFirstWord, SplitsAtTheFirstBlankAfterTheWord) {
  std::string word = "old", rest = "old";
  splitFirstWord(GetParam().text, word, rest);
  EXPECT_EQ(word, GetParam().word);
  EXPECT_EQ(rest, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitFirstWord,
                         ::testing::Values(SplitCase{"set a b", "set", "a b"},
                                           SplitCase{"  set  a", "set", " a"},
                                           SplitCase{"word", "word", ""},
                                           SplitCase{"a\tb", "a", "b"},
                                           SplitCase{"a \t", "a", "\t"},
                                           SplitCase{"   ", "", "   "},
                                           SplitCase{"", "", ""}));

TEST(StringUtils, SplitFirstWordAcceptsItsOwnOutputAsInput) {
  std::string word, rest = "one two three";
  splitFirstWord(rest, word, rest);
  EXPECT_EQ(word, "one");
  EXPECT_EQ(rest, "two three");
  rest = "  ";
  splitFirstWord(rest, word, rest);
  EXPECT_EQ(word, "");
  EXPECT_EQ(rest, "  ");
}

TEST(KeywordLine, ReadsLinesAndStepsThroughWords) {
  std::istringstream text("v 1 2 3\r\nvt 0.5\n\nf");
  KeywordLine line;
  ASSERT_TRUE(line.read(text));
  EXPECT_EQ(line.keyword, "v");
  EXPECT_EQ(line.rest, "1 2 3");
  line.next();
  EXPECT_EQ(line.keyword, "1");
  EXPECT_EQ(line.rest, "2 3");
  line.next();
  line.next();
  EXPECT_EQ(line.keyword, "3");
  EXPECT_EQ(line.rest, "");
  ASSERT_TRUE(line.read(text));
  EXPECT_EQ(line.keyword, "vt");
  EXPECT_EQ(line.rest, "0.5");
  ASSERT_TRUE(line.read(text));
  EXPECT_EQ(line.keyword, "");
  EXPECT_EQ(line.rest, "");
  ASSERT_TRUE(line.read(text));
  EXPECT_EQ(line.keyword, "f");
  EXPECT_FALSE(line.read(text));
  EXPECT_EQ(line.keyword, "");
  line.keyword = "x";
  line.rest = "y";
  line.clear();
  EXPECT_EQ(line.keyword + line.rest, "");
}

}  // namespace
