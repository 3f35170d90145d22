// The CSV export: the offered file name, the text, and the write that is
// whole or nothing and never replaces what is not a regular file.
#include "core/history/csv_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "history_sample.h"
#include "platform/utf8_path.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace qnc {
namespace {

using test::Answered;
using test::Failed;

std::string Read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class CsvExport : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("qnc-csv-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Paths are UTF-8 text in the program, whatever the system's narrow encoding.
  std::string PathOf(const char* name) const { return Utf8FromPath(folder_ / PathFromUtf8(name)); }

  std::filesystem::path folder_;
  const std::vector<Sample> samples_{Answered(0, 12.5), Failed(1, FailureReason::kRefused)};
};

TEST(CsvFileName, TableAndTargetWithUnsafeCharactersReplaced) {
  struct Case {
    TableKind table;
    const char* target;
    const char* name;
  };
  const Case cases[] = {
      {TableKind::kGame, "lpl.qq.com:443", "game-lpl.qq.com_443.csv"},
      {TableKind::kPing, "a/b\\c*d?e\"f<g>h|i", "ping-a_b_c_d_e_f_g_h_i.csv"},
      {TableKind::kDns, "中文.测试", "dns-中文.测试.csv"},
      {TableKind::kPing, "tab\there\nline", "ping-tab_here_line.csv"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvFileName(c.table, c.target), c.name) << c.target;
}

TEST_F(CsvExport, WritesTheHeaderAndOneLinePerSample) {
  const std::string text = CsvText(TableKind::kGame, "g.test:443", samples_);
  EXPECT_TRUE(text.starts_with("time,table,target,round_trip_ms,outcome,reason\n")) << text;
  EXPECT_NE(text.find(",game,g.test:443,12.500,answered,ok\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with(",game,g.test:443,,failed,refused\n")) << text;

  const std::string path = PathOf("导出.csv");
  const CsvExportResult result = ExportCsv(path, TableKind::kGame, "g.test:443", samples_);
  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.message, "已导出 2 个样本到 " + path);
  EXPECT_EQ(Read(PathFromUtf8(path)), text);

  // A regular file there is replaced whole.
  std::ofstream(folder_ / "old.csv", std::ios::binary) << "old\n";
  EXPECT_TRUE(ExportCsv(PathOf("old.csv"), TableKind::kGame, "g.test:443", samples_).written);
  EXPECT_EQ(Read(folder_ / "old.csv"), text);
}

TEST_F(CsvExport, SaysWhyAPathCannotBeWrittenAndLeavesItAlone) {
  std::filesystem::create_directory(folder_ / "folder");
  std::ofstream(folder_ / "target.txt", std::ios::binary) << "kept\n";
  struct Case {
    std::string path;
    const char* why;
  };
  std::vector<Case> cases{{PathOf("folder"), "这是一个文件夹"},
                          {PathOf("no-such-folder") + "/x.csv", "无法写入该位置"}};
#if !defined(_WIN32)
  std::filesystem::create_symlink(folder_ / "target.txt", folder_ / "link.csv");
  ASSERT_EQ(mkfifo(PathOf("fifo.csv").c_str(), 0600), 0);
  cases.push_back({PathOf("link.csv"), "这是一个符号链接"});
  cases.push_back({PathOf("fifo.csv"), "这不是普通文件"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const CsvExportResult result = ExportCsv(c.path, TableKind::kPing, "a.test", samples_);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "导出失败：无法写入 " + c.path + "（" + c.why + "）");
  }
  EXPECT_EQ(Read(folder_ / "target.txt"), "kept\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "no-such-folder"));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "folder"));
}

}  // namespace
}  // namespace qnc
