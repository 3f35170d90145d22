#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/lantest/lan_log_store.h"
#include "lan_test_support.h"

namespace qnc {
namespace {

// A stand-in for the dialog's view: applies the folded changes to its own copy.
void Apply(std::string& view, const LanLogStore::Changes& changes) {
  if (changes.replaced) view = changes.base;
  view = changes.front + view + changes.back;
}

// Writers put lines in front and at the end while a reader keeps taking the
// changes: every line arrives whole, each writer's lines keep their order,
// and the reader's copy ends equal to the store's text.
TEST(LanLogStoreThreadsTest, ConcurrentWritersAndAViewStayConsistent) {
  constexpr int kWriters = 4;
  constexpr int kLines = 2000;
  LanLogStore log;
  std::atomic<int> notices{0};
  log.SetChangeListener([&] { notices.fetch_add(1); });
  std::string view;
  std::atomic<bool> writing{true};

  std::jthread reader([&] {
    while (writing.load()) Apply(view, log.TakeChanges());
  });
  {
    std::vector<std::jthread> writers;
    for (int w = 0; w < kWriters; ++w) {
      writers.emplace_back([&log, w] {
        for (int n = 0; n < kLines; ++n) {
          const std::string line = "w" + std::to_string(w) + " n" + std::to_string(n) + "\r\n";
          if (n % 5 == 0) {
            log.Append(line);
          } else {
            log.Prepend(line);
          }
        }
      });
    }
  }
  writing.store(false);
  reader.join();
  Apply(view, log.TakeChanges());

  const std::string text = log.Text();
  EXPECT_EQ(view, text);
  const auto lines = testing::LogLines(text);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kWriters * kLines));
  const std::regex pattern(R"(w(\d) n(\d+))");
  std::map<int, int> lastFront;  // front lines of one writer: newest first, so n falls
  for (const auto& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, pattern)) << line;
    const int writer = std::stoi(match[1]);
    const int n = std::stoi(match[2]);
    if (n % 5 == 0) continue;
    auto previous = lastFront.find(writer);
    if (previous != lastFront.end()) {
      EXPECT_LT(n, previous->second);
    }
    lastFront[writer] = n;
  }
  EXPECT_GE(notices.load(), 1);
}

}  // namespace
}  // namespace qnc
