#include "app/BenchReport.h"

#include <gtest/gtest.h>

namespace {

TEST(BenchReportTest, SummaryOfKnownSamples) {
  struct Case {
    std::vector<double> samples;
    double mean, median, p99;
  };
  std::vector<double> hundred;
  for (int i = 1; i <= 100; ++i) hundred.push_back(i);  // 1..100
  std::vector<double> thousand;
  for (int i = 1; i <= 1000; ++i) thousand.push_back(1001 - i);  // unsorted 1000..1
  const Case cases[] = {
      {{}, 0.0, 0.0, 0.0},
      {{4.0}, 4.0, 4.0, 4.0},
      {{3.0, 1.0, 2.0}, 2.0, 2.0, 3.0},
      {{4.0, 1.0, 3.0, 2.0}, 2.5, 2.5, 4.0},
      {hundred, 50.5, 50.5, 99.0},      // rank ceil(99) = 99
      {thousand, 500.5, 500.5, 990.0},  // rank ceil(990) = 990
  };
  for (const Case& c : cases) {
    const TimingSummary s = summarizeTimings(c.samples);
    EXPECT_DOUBLE_EQ(s.meanMs, c.mean) << c.samples.size();
    EXPECT_DOUBLE_EQ(s.medianMs, c.median) << c.samples.size();
    EXPECT_DOUBLE_EQ(s.p99Ms, c.p99) << c.samples.size();
  }
}

TEST(BenchReportTest, SingleOutlierShowsInP99OfFewSamples) {
  // With 50 samples the 99th percentile is the largest (rank ceil(49.5) = 50).
  std::vector<double> samples(49, 1.0);
  samples.push_back(30.0);
  const TimingSummary s = summarizeTimings(samples);
  EXPECT_DOUBLE_EQ(s.medianMs, 1.0);
  EXPECT_DOUBLE_EQ(s.p99Ms, 30.0);
  EXPECT_DOUBLE_EQ(s.meanMs, (49.0 + 30.0) / 50.0);
}

TEST(BenchReportTest, FramesPerSecondFromMeanFrameTime) {
  BenchReport report;
  report.addContext("BumpContext", {1.0, 3.0}, {2.0, 4.0});  // 2 + 3 = 5 ms a frame
  report.addContext("Idle", {}, {});
  ASSERT_EQ(report.entries().size(), 2u);
  EXPECT_EQ(report.entries()[0].frames, 2);
  EXPECT_DOUBLE_EQ(report.entries()[0].framesPerSecond, 200.0);
  EXPECT_DOUBLE_EQ(report.entries()[1].framesPerSecond, 0.0);
}

TEST(BenchReportTest, TableAndJsonCarryTheFigures) {
  BenchReport report;
  report.setDevice("recording");
  report.setStartupMs(123.25);
  report.addContext("Ctx \"quoted\"", {1.0, 3.0}, {2.0, 4.0});
  const std::string table = report.table();
  EXPECT_NE(table.find("recording"), std::string::npos);
  EXPECT_NE(table.find("123.2"), std::string::npos);
  EXPECT_NE(table.find("200.0"), std::string::npos);
  EXPECT_NE(table.find("2.000"), std::string::npos);  // update mean

  const std::string json = report.json();
  EXPECT_NE(json.find("\"device\": \"recording\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"startupMs\": 123.25"), std::string::npos) << json;
  EXPECT_NE(json.find("\"name\": \"Ctx \\\"quoted\\\"\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"updateMs\": {\"mean\": 2, \"median\": 2, \"p99\": 3}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"renderMs\": {\"mean\": 3, \"median\": 3, \"p99\": 4}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"fps\": 200"), std::string::npos) << json;
}

TEST(BenchReportTest, InitTimeAndFloorAreReportedBesideTheirContext) {
  BenchReport report;
  report.addContext("Plain", {1.0}, {1.0}, 12.5);
  report.addContext("Ocean", {0.04, 0.05, 0.06}, {1.0, 1.0, 1.0}, 0.75);
  report.setFloor("3 bare FFTs", {0.02, 0.025, 0.5});  // median 0.025: update median 0.05 is 2x
  const std::vector<BenchReport::Entry>& entries = report.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].floorName.empty());
  EXPECT_DOUBLE_EQ(entries[0].updateOverFloor, 0.0);
  EXPECT_DOUBLE_EQ(entries[1].initMs, 0.75);
  EXPECT_DOUBLE_EQ(entries[1].floor.medianMs, 0.025);
  EXPECT_DOUBLE_EQ(entries[1].updateOverFloor, 2.0);

  const std::string table = report.table();
  EXPECT_NE(table.find("init ms"), std::string::npos) << table;
  EXPECT_NE(table.find("12.5\n"), std::string::npos) << table;
  // One floor line, right after the ocean's row.
  const std::size_t ocean = table.find("\nOcean ");
  const std::size_t floor = table.find("\n  floor ");
  ASSERT_NE(ocean, std::string::npos) << table;
  ASSERT_NE(floor, std::string::npos) << table;
  EXPECT_EQ(table.find('\n', ocean + 1), floor) << table;
  EXPECT_EQ(table.find("\n  floor ", floor + 1), std::string::npos) << table;
  EXPECT_NE(table.find("3 bare FFTs; update median / floor median 2.00"), std::string::npos) << table;

  const std::string json = report.json();
  EXPECT_NE(json.find("\"initMs\": 12.5}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"initMs\": 0.75, \"floor\": \"3 bare FFTs\", \"floorMs\": {\"mean\": 0.181667, "
                      "\"median\": 0.025, \"p99\": 0.5}, \"updateOverFloor\": 2}"),
            std::string::npos)
      << json;
}

TEST(BenchReportTest, FloorWithoutAContextIsIgnored) {
  BenchReport report;
  report.setFloor("nothing under it", {1.0});
  EXPECT_TRUE(report.entries().empty());
  EXPECT_EQ(report.table().find("nothing under it"), std::string::npos);
}

}  // namespace
