// The configuration file on disk: the bytes written, the save that reloads in the order shown, unreadable
// and unsuitable paths, left-overs of crashed saves, and writes that fail without harming the file already there.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <thread>

#include "config_test_support.h"

namespace qnc::test {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the test temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    path_ = fs::path(testing::TempDir()) / ("qnc_config_" + std::to_string(std::random_device{}()));
    fs::create_directories(path_);
    fs::permissions(path_, fs::perms(0755));  // others may enter (a test drops to an unprivileged user)
  }
  ~TempFolder() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const ConfigTables kShown{{"A", "B"}, {"C"}, {"D"}};

TEST(ConfigFileTest, WritesTheSevenLineExample) {
  TempFolder folder;
  const std::string path = folder.File(kConfigFileName);
  ASSERT_TRUE(WriteConfig(path, kShown));
  EXPECT_EQ(FileBytes(path), "#headv1===\r\nA\r\nB\r\n#PING===\r\nC\r\n#GAME===\r\nD\r\n");
}

// The save writes the bytes that a write, a load and a second write would leave, so the next load shows
// the tables as they are on screen now.
TEST(ConfigFileTest, SaveWritesBottomRowFirstAndReloadsInTheOrderShown) {
  TempFolder folder;
  const std::string path = folder.File(kExportDefaultName);
  ASSERT_TRUE(SaveTablesForReload(path, kShown));
  EXPECT_EQ(FileBytes(path), "#headv1===\r\nB\r\nA\r\n#PING===\r\nC\r\n#GAME===\r\nD\r\n");
  EXPECT_EQ(ReadConfig(path),
            (LoadedConfig{true, {kShown[TableKind::kDns], kShown[TableKind::kPing], kShown[TableKind::kGame]}}));

  const ConfigTables chinese{{"中文.example", "b.example", ""}, {"网关", "8.8.8.8"}, {"服务器:443", "host"}};
  ASSERT_TRUE(SaveTablesForReload(path, chinese));
  EXPECT_EQ(ReadConfig(path),
            (LoadedConfig{true, {chinese[TableKind::kDns], chinese[TableKind::kPing], chinese[TableKind::kGame]}}));
}

TEST(ConfigFileTest, RewriteReplacesTheWholeFileAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.File(kConfigFileName);
  ASSERT_TRUE(WriteConfig(path, {Rows(100, "long.example.com"), {"x"}, {"y"}}));
  ASSERT_TRUE(WriteConfig(path, kShown));
  EXPECT_EQ(FileBytes(path), FormatConfig(kShown));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{kConfigFileName}));
}

TEST(ConfigFileTest, UnreadablePathIsNotAccepted) {
  TempFolder folder;
  for (const std::string& path : {std::string(), folder.File("missing.txt"), folder.Path().string()}) {
    EXPECT_FALSE(ReadConfig(path).accepted) << "path: '" << path << "'";
  }
}

// Reads the file at path on a thread of its own; a read still blocked after a few seconds fails the test, and
// opening the FIFO for writing then lets it end, so a regression cannot hang the suite.
std::pair<LoadedConfig, std::string> ReadWithin(const std::string& path, bool unblockFifo) {
  std::promise<std::pair<LoadedConfig, std::string>> done;
  auto result = done.get_future();
  std::thread reader([&] {
    std::string why;
    LoadedConfig loaded = ReadConfig(path, &why);
    done.set_value({std::move(loaded), std::move(why)});
  });
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << path << ": the read did not end";
    if (unblockFifo) {
      const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
    }
  }
  reader.join();
  return result.get();
}

TEST(ConfigFileTest, OnlyRegularFilesUpToOneMegabyteAreRead) {
  TempFolder folder;
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string header = "#headv1===\r\n";
  const std::string atLimit = folder.File("at-limit.txt");
  std::ofstream(atLimit, std::ios::binary) << header << std::string(kMaxConfigFileBytes - header.size(), 'x');
  const std::string overLimit = folder.File("over-limit.txt");
  std::ofstream(overLimit, std::ios::binary) << header << std::string(kMaxConfigFileBytes - header.size() + 1, 'x');
  const std::string noHeader = folder.File("no-header.txt");
  std::ofstream(noHeader) << "a.example\r\n";

  const std::vector<std::pair<std::string, std::string>> refused = {
      {fifo, "it is not a regular file"},
      {"/dev/zero", "it is not a regular file"},
      {folder.Path().string(), "it is not a regular file"},
      {overLimit, "it is larger than 1 MB"},
      {folder.File("missing.txt"), "it cannot be opened"},
      {noHeader, "its first line has no #head"},
  };
  for (const auto& [path, why] : refused) {
    const auto [loaded, reason] = ReadWithin(path, path == fifo);
    EXPECT_FALSE(loaded.accepted) << path;
    EXPECT_EQ(reason, why) << path;
  }
  const auto [loaded, reason] = ReadWithin(atLimit, false);
  EXPECT_TRUE(loaded.accepted);
  EXPECT_EQ(reason, "");
  ASSERT_TRUE(loaded.tables[TableKind::kDns]);
  EXPECT_FALSE(loaded.tables[TableKind::kDns]->empty());
}

// A save that crashed left its temporary file; the next save removes it and nothing else.
TEST(ConfigFileTest, SaveRemovesStaleTemporaryFilesOfItsOwnPatternOnly) {
  TempFolder folder;
  const std::string path = folder.File(kConfigFileName);
  const std::string own = std::string(".") + kConfigFileName;
  const std::vector<std::string> stale = {own + ".0123abcd.tmp", own + ".ffffffff.tmp"};
  const std::vector<std::string> kept = {
      own + ".0123ABCD.tmp",      // not a tag we write
      own + ".0123abc.tmp",       // one digit short
      own + ".0123abcd.tmp.bak",  // something else
      ".other.txt.0123abcd.tmp",  // another file's temporary
      "notes.txt",
  };
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  for (const auto& names : {stale, kept}) {
    for (const std::string& name : names) {
      std::ofstream(folder.File(name)) << "left over";
      fs::last_write_time(folder.File(name), old);
    }
  }
  const std::string underWay = own + ".89abcdef.tmp";  // fresh: another copy's save may be under way
  std::ofstream(folder.File(underWay)) << "being written";
  fs::create_directory(folder.File(own + ".00000000.tmp"));  // our pattern, but a folder
  fs::last_write_time(folder.File(own + ".00000000.tmp"), old);

  ASSERT_TRUE(WriteConfig(path, kShown));
  std::vector<std::string> expected = kept;
  expected.push_back(kConfigFileName);
  expected.push_back(underWay);
  expected.push_back(own + ".00000000.tmp");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folder.Names(), expected);
  EXPECT_EQ(FileBytes(path), FormatConfig(kShown));
}

TEST(ConfigFileTest, WriteIntoMissingFolderFails) {
  TempFolder folder;
  EXPECT_FALSE(WriteConfig(folder.File("no/such/folder.txt"), kShown));
  EXPECT_FALSE(WriteConfig("", kShown));
}

// A write through a symbolic link replaces the file it names; the link and the file's permissions stay.
TEST(ConfigFileTest, WriteThroughLinkKeepsTheLinkAndThePermissions) {
  TempFolder folder;
  const std::string real = folder.File("real.txt");
  const std::string link = folder.File("link.txt");
  ASSERT_TRUE(WriteConfig(real, {{"old"}, {}, {}}));
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.txt", link);

  ASSERT_TRUE(WriteConfig(link, kShown));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(FileBytes(real), FormatConfig(kShown));
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"link.txt", "real.txt"}));
}

// Failing writes run in a child process, which may drop its rights or shrink its file size limit; its exit
// code says whether WriteConfig reported the failure (0) or claimed success (1).
class ConfigWriteFailureDeathTest : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must see this fixture's folder
    ASSERT_TRUE(WriteConfig(path_, kOld));
    oldBytes_ = FileBytes(path_);
  }
  void ExpectOldFileWhole() {
    EXPECT_EQ(FileBytes(path_), oldBytes_);
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{kConfigFileName}));
    EXPECT_EQ(ReadConfig(path_),
              (LoadedConfig{
                  true, {Reversed(kOld[TableKind::kDns]), Reversed(kOld[TableKind::kPing]), kOld[TableKind::kGame]}}));
  }

  void ExpectWriteFailsWithoutRights() {
    const auto writeAsUnprivilegedUser = [this] {
      constexpr uid_t kNobody = 65534;  // root may write anywhere, so root drops to a user without rights
      if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
      _exit(WriteConfig(path_, kShown) ? 1 : 0);
    };
    EXPECT_EXIT(writeAsUnprivilegedUser(), testing::ExitedWithCode(0), "");
    ExpectOldFileWhole();
  }

  const ConfigTables kOld{{"a.example", "b.example"}, {"中文"}, {}};
  TempFolder folder_;
  const std::string path_ = folder_.File(kConfigFileName);
  std::string oldBytes_;
};

TEST_F(ConfigWriteFailureDeathTest, UnwritableFolderLeavesTheOldFileWhole) {
  fs::permissions(folder_.Path(), fs::perms(0555));
  ExpectWriteFailsWithoutRights();
}

// The folder would allow replacing the file by rename, but the file itself is read-only.
TEST_F(ConfigWriteFailureDeathTest, ReadOnlyFileIsNotReplaced) {
  fs::permissions(folder_.Path(), fs::perms(0777));
  fs::permissions(path_, fs::perms(0444));
  ExpectWriteFailsWithoutRights();
}

TEST_F(ConfigWriteFailureDeathTest, FullDiskLeavesTheOldFileWhole) {
  const ConfigTables big{Rows(5000, "host-with-a-long-name.example.com"), {}, {}};
  const auto writeWithSmallSizeLimit = [this, &big] {
    std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG instead of killing us
    const rlimit limit{4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    _exit(WriteConfig(path_, big) ? 1 : 0);
  };
  EXPECT_EXIT(writeWithSmallSizeLimit(), testing::ExitedWithCode(0), "");
  ExpectOldFileWhole();
}

}  // namespace
}  // namespace qnc::test
