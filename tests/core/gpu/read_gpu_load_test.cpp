#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "core/gpu/gpu_load.h"
#include "fake_nvapi_fixture.h"

namespace qnc {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct CycleCase {
  const char* name;
  const char* scenario;
  bool succeeds;
  std::int32_t displayCount;
  std::optional<std::uint32_t> usagePercent;
  const char* diagnostics;
};

void PrintTo(const CycleCase& c, std::ostream* out) { *out << c.name; }

const CycleCase kCycleCases[] = {
    {"one_display_one_gpu", "usage=12", true, 1, 12u, "卡的个数：1\nGPU[1], CPU利用率：12\n"},
    {"first_gpu_at_37_percent", "usage=37", true, 1, 37u, "卡的个数：1\nGPU[1], CPU利用率：37\n"},
    {"displays_at_0_and_2_only", "displays=0,2;usage=5", true, 2, 5u, "卡的个数：2\nGPU[1], CPU利用率：5\n"},
    {"all_four_displays", "displays=0,1,2,3;usage=1", true, 4, 1u, "卡的个数：4\nGPU[1], CPU利用率：1\n"},
    {"six_gpus_keep_four", "gpus=6;usage=37", true, 1, 37u, "卡的个数：1\nGPU[4], CPU利用率：37\n"},
    {"no_display", "displays=", false, 0, std::nullopt, ""},
    {"initialise_fails", "init=-1", false, 0, std::nullopt, ""},
    {"initialise_missing", "missing=0150E828", false, 0, std::nullopt, ""},
    {"enumerate_missing", "missing=9ABDD40D", false, 0, std::nullopt, ""},
    {"gpu_query_missing", "missing=34EF9506", false, 0, std::nullopt, ""},
    {"gpu_query_fails_on_second_display", "displays=0,1;gpusfail=1", false, 0, std::nullopt, ""},
    // Displays found but no load read: the count is still a result.
    {"usages_missing", "missing=189A1FDF", true, 1, std::nullopt, "卡的个数：1\n"},
    {"display_without_gpu", "gpus=0", true, 1, std::nullopt, "卡的个数：1\n"},
    {"first_gpu_usage_fails", "gpus=2;usagefail=0;usage=37", true, 1, std::nullopt, "卡的个数：1\n"},
    // Only the first GPU's load is reported, so a later GPU's failure does not hide it.
    {"last_gpu_usage_fails", "gpus=2;usagefail=1;usage=37", true, 1, 37u, "卡的个数：1\nGPU[2], CPU利用率：37\n"},
};

class ReadGpuLoadCycle : public test::FakeNvapiTest, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(ReadGpuLoadCycle, ReportsWhatTheDriverAnswered) {
  const CycleCase& c = GetParam();
  UseScenario(c.scenario);
  std::ostringstream diagnostics;

  const std::optional<GpuLoadReading> reading = ReadGpuLoad(test::kFakeNvapi, &diagnostics);

  ASSERT_EQ(reading.has_value(), c.succeeds);
  if (c.succeeds) {
    EXPECT_EQ(reading->displayCount, c.displayCount);
    EXPECT_EQ(reading->usagePercent, c.usagePercent);
  }
  EXPECT_EQ(diagnostics.str(), c.diagnostics);
  // Loaded for this cycle only, whatever the outcome.
  EXPECT_THAT(LogLinesStartingWith("load"), ElementsAre("load"));
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log().back(), "unload");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ReadGpuLoadCycle, ::testing::ValuesIn(kCycleCases),
                         [](const auto& param) { return std::string(param.param.name); });

using ReadGpuLoadTest = test::FakeNvapiTest;

TEST_F(ReadGpuLoadTest, MissingLibraryOrEntryPointFailsQuietly) {
  std::ostringstream diagnostics;
  EXPECT_FALSE(ReadGpuLoad(test::kNoSuchLibrary, &diagnostics));
  EXPECT_FALSE(ReadGpuLoad(test::kLibraryWithoutEntry, &diagnostics));
  EXPECT_EQ(diagnostics.str(), "");
  EXPECT_THAT(Log(), ElementsAre("load", "unload"));  // the entry-less library is let go again
}

TEST_F(ReadGpuLoadTest, FollowsTheDriverProtocolInOrder) {
  UseScenario("displays=0,2;gpus=2;usage=20");
  ASSERT_TRUE(ReadGpuLoad(test::kFakeNvapi, nullptr));

  EXPECT_THAT(Log(), ElementsAreArray<std::string>({
                         "load",
                         "query 0150e828",
                         "query 9abdd40d",
                         "query 34ef9506",
                         "query 189a1fdf",
                         "init",
                         "enum 0",
                         "enum 1",
                         "enum 2",
                         "enum 3",  // a failing index does not end the search
                         "gpus d00",
                         "gpus d02",
                         // Only the first display's GPUs, each with a record of version 1, size 136.
                         "usages 10000 00010088",
                         "usages 10001 00010088",
                         "unload",
                     }));
}

TEST_F(ReadGpuLoadTest, KeepsTheFirstFourOfSixGpus) {
  UseScenario("gpus=6;usage=50");
  ASSERT_TRUE(ReadGpuLoad(test::kFakeNvapi, nullptr));
  EXPECT_THAT(LogLinesStartingWith("usages"), ElementsAre("usages 10000 00010088", "usages 10001 00010088",
                                                          "usages 10002 00010088", "usages 10003 00010088"));
}

TEST_F(ReadGpuLoadTest, LoadsAndUnloadsTheLibraryInEveryCycle) {
  UseScenario("usage=9");
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_TRUE(ReadGpuLoad(test::kFakeNvapi, nullptr));
    EXPECT_EQ(Log().back(), "unload") << "after cycle " << cycle;
  }
  EXPECT_EQ(LogLinesStartingWith("load").size(), 3u);
  EXPECT_EQ(LogLinesStartingWith("unload").size(), 3u);
  EXPECT_EQ(LogLinesStartingWith("init").size(), 3u);
}

}  // namespace
}  // namespace qnc
