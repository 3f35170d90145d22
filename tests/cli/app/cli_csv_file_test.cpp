// The terminal front end's CSV file where the file system says no: a path
// that is no regular file, a missing folder, a file size limit mid-run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/app/cli_options.h"
#include "cli/app/csv_file.h"
#include "cli/app/run_probe.h"
#include "cli_test_files.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(CliHistory, ACsvFileThatCannotBeOpenedEndsTheRunAtOnce) {
  TempFile folder("qnc-cli-folder");
  fs::create_directory(folder.Path());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {folder.Path().string(), "not a regular file"},
      {(folder.Path() / "missing" / "x.csv").string(), "No such file or directory"},
      {"/dev/null", "not a regular file"},
  };
  for (const auto& [path, why] : cases) {
    CliOptions options;
    options.game = {"127.0.0.1:" + std::to_string(ClosedPort())};
    options.dnsServer = "127.0.0.1";
    options.csvPath = path;
    options.passes = 1;
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    EXPECT_EQ(RunProbeSession(options, environment), kExitFailed) << path;
    EXPECT_EQ(err.str(), "quorix-probe: cannot write " + path + ": " + why + "\n");
    EXPECT_EQ(out.str(), "") << "nothing measured";
  }
}

// A file left without a final line break (by another program, or cut off)
// gets one before the first new line; the header is not written again.
TEST(CliHistory, AppendingStartsOnALineOfItsOwn) {
  TempFile csv("qnc-cli-open-line.csv");
  { std::ofstream(csv.Path(), std::ios::binary) << "time,table,target,round_trip_ms,outcome,reason\nhalf a line"; }
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  CliOptions options;
  options.game = {closed};
  options.dnsServer = "127.0.0.1";
  options.csvPath = csv.Path().string();
  options.passes = 1;
  std::ostringstream out, err;
  ProbeSessionEnvironment environment{out, err};
  ASSERT_EQ(RunProbeSession(options, environment), 0) << err.str();
  const auto lines = Lines(csv.Path());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "time,table,target,round_trip_ms,outcome,reason");
  EXPECT_EQ(lines[1], "half a line");
  EXPECT_TRUE(lines[2].ends_with(",game," + closed + ",,failed,refused")) << lines[2];
}

// Log rotation: the file is moved away, then (or not) a new one is put at its
// path. Every line goes to the file at the path at the time it is written,
// whole; a file that is new or empty there starts with the header.
TEST(CliHistory, AppendingFollowsTheFileAtThePathThroughRotation) {
  TempFile folder("qnc-cli-rotation");
  fs::create_directory(folder.Path());
  const fs::path path = folder.Path() / "samples.csv";
  std::string whyNot;
  const auto csv = CsvFile::Open(path.string(), "header\n", whyNot);
  ASSERT_NE(csv, nullptr) << whyNot;
  ASSERT_TRUE(csv->Append("one\n"));

  fs::rename(path, folder.Path() / "samples.csv.1");  // moved away, nothing in its place
  ASSERT_TRUE(csv->Append("two\n")) << csv->Failure().value_or("");
  fs::rename(path, folder.Path() / "samples.csv.2");
  { std::ofstream created(path, std::ios::binary); }  // moved away, an empty file put in its place
  ASSERT_TRUE(csv->Append("three\n"));
  ASSERT_TRUE(csv->Append("four\n"));

  EXPECT_EQ(Lines(folder.Path() / "samples.csv.1"), (std::vector<std::string>{"header", "one"}));
  EXPECT_EQ(Lines(folder.Path() / "samples.csv.2"), (std::vector<std::string>{"header", "two"}));
  EXPECT_EQ(Lines(path), (std::vector<std::string>{"header", "three", "four"}));
}

// A file that fills up mid-run (here: a file size limit in a child process)
// keeps only whole lines, and the run ends with status 1 and a message.
TEST(CliHistory, AFullFileKeepsWholeLinesAndEndsTheRun) {
  TempFile csv("qnc-cli-full.csv");
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    CliOptions options;
    options.game = {closed};
    options.dnsServer = "127.0.0.1";
    options.csvPath = csv.Path().string();
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    environment.pauseMs = 1;
    const int status = RunProbeSession(options, environment);
    const bool said = err.str().rfind("quorix-probe: cannot write " + csv.Path().string() + ": ", 0) == 0;
    _exit(said ? status : 101);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      FAIL() << "the run did not end when the file was full";
    }
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 100) << "no file size limit here";
  EXPECT_EQ(WEXITSTATUS(status), kExitFailed);
  std::ifstream in(csv.Path(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  EXPECT_LE(bytes.size(), 1000u);
  EXPECT_EQ(bytes.back(), '\n') << "no half line at the end";
  const auto lines = Lines(csv.Path());
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].ends_with(",game," + closed + ",,failed,refused")) << lines[i];
  }
  EXPECT_GT(lines.size(), 5u) << "the file was filled before the run ended";
}

}  // namespace
}  // namespace qnc
