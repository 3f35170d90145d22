// Which configuration file the window loads at start: its own in the
// application data folder, or, until that exists, the one a user kept at the
// root of drive C:.
#include "win32/app/config_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/utf8_path.h"

namespace qnc {
namespace {

class StartupConfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              PathFromUtf8("qnc-配置-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string PathOf(const char* name) const { return Utf8FromPath(folder_ / PathFromUtf8(name)); }
  static void Write(const std::string& path) { std::ofstream(PathFromUtf8(path)) << "#headv1===\n"; }

  std::filesystem::path folder_;
};

TEST_F(StartupConfigFile, TheDriveRootFileStandsInOnlyUntilOursExists) {
  const struct {
    bool oursExists;
    bool driveRootExists;
    bool loadsOurs;
  } cases[] = {
      {false, true, false},
      {true, true, true},
      {true, false, true},
      {false, false, true},
  };
  const std::string ours = PathOf("Quorix测试工具.txt");
  const std::string driveRoot = PathOf("c盘 Quorix测试工具.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "ours " << c.oursExists << ", drive root " << c.driveRootExists);
    std::filesystem::remove(PathFromUtf8(ours));
    std::filesystem::remove(PathFromUtf8(driveRoot));
    if (c.oursExists) Write(ours);
    if (c.driveRootExists) Write(driveRoot);
    EXPECT_EQ(StartupConfigFilePath(ours, driveRoot), c.loadsOurs ? ours : driveRoot);
  }
}

}  // namespace
}  // namespace qnc
