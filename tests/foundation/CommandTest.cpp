#include <gtest/gtest.h>

#include <ostream>

#include <memory>
#include <string>

#include "foundation/Command.h"
#include "foundation/CommandLine.h"
#include "foundation/CommandSetVariable.h"
#include "foundation/VariableTable.h"

namespace {

TEST(Command, OnlyLowerCaseSetMakesACommand) {
  std::unique_ptr<Command> set(createCommand("set", "speed 2"));
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->name(), "CommandSetVariable");
  for (const char* word : {"Set", "SET", "sets", "", "get"}) {
    std::unique_ptr<Command> other(createCommand(word, "speed 2"));
    EXPECT_EQ(other, nullptr) << word;
  }
  EXPECT_EQ(createCommand(nullptr, "x"), nullptr);
}

struct ArgumentCase {
  const char* arguments;
  const char* name;
  const char* value;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << '"' << c.arguments << '"'; }

class SetArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(SetArguments, SplitIntoNameAndValue) {
  CommandSetVariable command(GetParam().arguments);
  EXPECT_EQ(command.variableName(), GetParam().name);
  EXPECT_EQ(command.value(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, SetArguments,
                         ::testing::Values(ArgumentCase{"speed 2.5", "speed", "2.5"},
                                           ArgumentCase{"title A  B ", "title", "A  B "},
                                           ArgumentCase{"  lead x", "lead", "x"},
                                           ArgumentCase{"tab\tv", "tab", "v"},
                                           ArgumentCase{"alone", "alone", ""},
                                           ArgumentCase{"", "", ""},
                                           ArgumentCase{"   ", "", "   "}));

TEST(CommandLine, ExecuteReportsTheAssignment) {
  VariableTable table;
  CommandLine line("set windowName My window");
  ASSERT_FALSE(line.skip());
  ASSERT_NE(line.command(), nullptr);
  std::string report;
  line.execute(&report, table);
  EXPECT_EQ(report, "windowName set to My window");
  EXPECT_EQ(table.get("windowName").value(), "My window");
}

TEST(CommandLine, UnknownWordIsInvalidOnlyForACallerWhoAsks) {
  VariableTable table;
  CommandLine line("Set x 1");
  EXPECT_FALSE(line.skip());
  EXPECT_EQ(line.command(), nullptr);
  std::string report = "untouched";
  line.execute(&report, table);
  EXPECT_EQ(report, "Command is invalid");
  line.execute(nullptr, table);
  EXPECT_EQ(table.size(), 0u);
}

struct LineCase {
  const char* line;
  bool skip;
  bool hasCommand;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << '"' << (c.line ? c.line : "(null)") << '"'; }

class CommandLineParse : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineParse, ClassifiesTheLine) {
  CommandLine line(GetParam().line);
  EXPECT_EQ(line.skip(), GetParam().skip);
  EXPECT_EQ(line.command() != nullptr, GetParam().hasCommand);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineParse,
    ::testing::Values(LineCase{nullptr, false, false}, LineCase{"", false, false},
                      LineCase{"   ", true, false}, LineCase{"\t \t", true, false},
                      LineCase{"// set a 1", true, false}, LineCase{"set a 1 // note", true, false},
                      LineCase{"set a 1", false, true}, LineCase{" \tset a 1", false, true},
                      LineCase{"set", false, true}, LineCase{"unknown a 1", false, false}));

TEST(CommandLine, EmptyLineIsInvalidWhenExecuted) {
  VariableTable table;
  CommandLine line("");
  std::string report;
  line.execute(&report, table);
  EXPECT_EQ(report, "Command is invalid");
}

TEST(CommandLine, WithoutATableItSetsTheProgramTable) {
  CommandLine line("set commandLineSingletonProbe 7");
  line.execute();
  EXPECT_EQ(VariableTable::instance().get("commandLineSingletonProbe").value(), "7");
}

}  // namespace
