#include "foundation/VariableTable.h"

#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>

#include "TestSupport.h"

namespace {

struct GrammarCase {
  const char* line;
  const char* name;
  std::optional<std::string> value;  // nullopt: the line leaves the name unset
};

void PrintTo(const GrammarCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class SettingsGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(SettingsGrammar, LineStoresExactlyItsValue) {
  testsupport::TempDir dir;
  const std::string file = dir.write("Test.set", std::string(GetParam().line) + "\n");
  VariableTable table(file.c_str());
  const Variable v = table.get(GetParam().name);
  if (GetParam().value) {
    EXPECT_EQ(v.name(), GetParam().name);
    EXPECT_EQ(v.value(), *GetParam().value);
  } else {
    EXPECT_EQ(v.value(), "INVALID");
    EXPECT_EQ(table.size(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsGrammar,
    ::testing::Values(
        GrammarCase{"set resolutionX 800", "resolutionX", "800"},
        GrammarCase{"set windowName My test window", "windowName", "My test window"},
        GrammarCase{"set name", "name", ""},
        GrammarCase{"set five  5", "five", " 5"},
        GrammarCase{"set trailing value \t ", "trailing", "value \t "},
        GrammarCase{"set\ttabbed\tvalue", "tabbed", "value"},
        GrammarCase{"  \t set indented yes", "indented", "yes"},
        GrammarCase{"\tset tab first", "tab", "first"},
        GrammarCase{"set q3a /games/quake3/", "q3a", "/games/quake3/"},
        GrammarCase{"set data ../data", "data", "../data"},
        GrammarCase{"set url http://example", "url", std::nullopt},
        GrammarCase{"set commented 1 // remark", "commented", std::nullopt},
        GrammarCase{"// set commentedStart 1", "commentedStart", std::nullopt},
        GrammarCase{"set slashes 1//2", "slashes", std::nullopt},
        GrammarCase{"Set upper 1", "upper", std::nullopt},
        GrammarCase{"SET upper 1", "upper", std::nullopt},
        GrammarCase{"let other 1", "other", std::nullopt},
        GrammarCase{"setx glued 1", "glued", std::nullopt}));

TEST(VariableTable, FiveAfterTwoBlanksReadsAsFive) {
  testsupport::TempDir dir;
  const std::string file = dir.write("Test.set", "set five  5\n");
  VariableTable table(file.c_str());
  EXPECT_EQ(table.get("five").asFloat(), 5.0);
}

TEST(VariableTable, LastLineWithoutNewlineAndLastAssignmentWin) {
  testsupport::TempDir dir;
  const std::string file = dir.write("Test.set",
                                     "set resolutionX 640\n"
                                     "\n"
                                     "   \t\n"
                                     "// comment line\n"
                                     "set resolutionY 480\r\n"
                                     "set resolutionX 1024\n"
                                     "set windowName Last line");
  VariableTable table(file.c_str());
  EXPECT_EQ(table.fileName(), file);
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.get("resolutionX").value(), "1024");
  // A Windows line end is not part of the value.
  EXPECT_EQ(table.get("resolutionY").value(), "480");
  EXPECT_EQ(table.get("windowName").value(), "Last line");
}

TEST(VariableTable, OnlyTheExactSetExtensionIsLoaded) {
  testsupport::TempDir dir;
  for (const char* name : {"Test.SET", "Test.Set", "Test.txt", "Test", "Test.set.bak"}) {
    const std::string file = dir.write(name, "set loaded yes\n");
    VariableTable table(file.c_str());
    EXPECT_EQ(table.size(), 0u) << name;
    EXPECT_EQ(table.fileName(), "") << name;
  }
  VariableTable none(nullptr);
  EXPECT_EQ(none.size(), 0u);
  EXPECT_EQ(none.fileName(), "");
}

TEST(VariableTable, MissingFileKeepsTheNameAndAnEmptyTable) {
  testsupport::TempDir dir;
  const std::string file = dir.path() + "/absent.set";
  VariableTable table(file.c_str());
  EXPECT_EQ(table.fileName(), file);
  EXPECT_EQ(table.size(), 0u);
}

TEST(VariableTable, FileNameCaseIsResolved) {
  testsupport::TempDir dir;
  dir.write("Config/Test.set", "set found 1\n");
  const std::string requested = dir.path() + "/config/test.set";
  VariableTable table(requested.c_str());
  EXPECT_EQ(table.get("found").value(), "1");
}

TEST(VariableTable, UnknownNamesGiveInvalidWithoutAddingThem) {
  VariableTable table;
  table.set(Variable("known", "3"));
  const Variable v = table.get("Known");  // names are case-sensitive
  EXPECT_EQ(v.name(), "INVALID");
  EXPECT_EQ(v.value(), "INVALID");
  EXPECT_EQ(v.asFloat(), 0.0);
  EXPECT_EQ(table.get(nullptr).value(), "INVALID");
  EXPECT_EQ(table.size(), 1u);
}

TEST(VariableTable, SetReplacesAndClearEmpties) {
  VariableTable table;
  table.set(Variable("a", "1"));
  table.set(Variable("a", "2"));
  table.set(Variable("b", ""));
  EXPECT_EQ(table.size(), 2u);
  EXPECT_EQ(table.get("a").value(), "2");
  EXPECT_EQ(table.get("b").value(), "");
  table.clear();
  EXPECT_EQ(table.size(), 0u);
  EXPECT_EQ(table.get("a").value(), "INVALID");
}

TEST(VariableTable, TheSingletonIsBuiltOnlyByTheFirstCall) {
  testsupport::TempDir dir;
  const std::string file = dir.write("Late.set", "set late yes\n");
  VariableTable& first = VariableTable::instance();
  VariableTable& later = VariableTable::instance(file.c_str());
  EXPECT_EQ(&first, &later);
  EXPECT_EQ(later.get("late").value(), "INVALID");
}

struct FloatCase {
  const char* text;
  double expected;
};

void PrintTo(const FloatCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class VariableAsFloat : public ::testing::TestWithParam<FloatCase> {};

TEST_P(VariableAsFloat, ReadsTheLeadingNumberLikeAtof) {
  EXPECT_DOUBLE_EQ(Variable("v", GetParam().text).asFloat(), GetParam().expected)
      << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, VariableAsFloat,
                         ::testing::Values(FloatCase{"800", 800.0}, FloatCase{" 5", 5.0},
                                           FloatCase{"\t 3.5xyz", 3.5}, FloatCase{"-2e3", -2000.0},
                                           FloatCase{"1,5", 1.0}, FloatCase{".25", 0.25},
                                           FloatCase{"abc", 0.0}, FloatCase{"", 0.0},
                                           FloatCase{"INVALID", 0.0}));

}  // namespace
