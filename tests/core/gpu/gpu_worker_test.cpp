#include "core/gpu/gpu_worker.h"

#include <gtest/gtest.h>

#include <string>

#include "core/model/text_field.h"
#include "fake_nvapi_fixture.h"

namespace qnc {
namespace {

// The two labels of the window, both showing "0" as they do at start.
struct Labels {
  Labels() {
    count.StoreText("0");
    usage.StoreText("0");
  }
  TextFieldStore count;
  TextFieldStore usage;
};

struct LabelCase {
  const char* name;
  const char* library;  // "fake", "none"
  const char* scenario;
  const char* usageBefore;
  const char* countAfter;
  const char* usageAfter;
};

void PrintTo(const LabelCase& c, std::ostream* out) { *out << c.name; }

const LabelCase kLabelCases[] = {
    {"no_library_keeps_zero", "none", "", "0", "0", "0"},
    {"initialise_fails_keeps_labels", "fake", "init=-2", "12%", "0", "12%"},
    {"displays_0_and_2_show_count_2", "fake", "displays=0,2;usage=3", "0", "2", "3%"},
    {"first_gpu_at_37_percent", "fake", "usage=37", "0", "1", "37%"},
    {"idle_gpu_shows_0_percent", "fake", "usage=0", "5%", "1", "0%"},
    // The count is known, the load is not: the load label keeps its last value.
    {"no_usage_read_leaves_usage_label", "fake", "missing=189A1FDF", "12%", "1", "12%"},
    {"first_gpu_usage_fails_leaves_usage_label", "fake", "gpus=3;usagefail=0;usage=40", "12%", "1", "12%"},
};

class GpuWorkerLabels : public test::FakeNvapiTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(GpuWorkerLabels, ShowTheCycleResult) {
  const LabelCase& c = GetParam();
  UseScenario(c.scenario);
  Labels labels;
  labels.usage.StoreText(c.usageBefore);
  GpuWorkerOptions options;
  options.libraryName = std::string(c.library) == "fake" ? test::kFakeNvapi : test::kNoSuchLibrary;
  options.diagnostics = nullptr;
  GpuWorker worker(labels.count, labels.usage, options);

  worker.RunCycle();

  EXPECT_EQ(labels.count.Text(), c.countAfter);
  EXPECT_EQ(labels.usage.Text(), c.usageAfter);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GpuWorkerLabels, ::testing::ValuesIn(kLabelCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace qnc
