// quorix-probe.exe on the console it shares with whoever started it (a cmd
// window): it switches the console to UTF-8 while it runs and gives the
// console back its own code pages when it ends: at the end of a run, on bad
// options, and when Ctrl-C stops it.
// Wine gives a program a console only on a terminal: run through
// with_terminal.sh.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

class ConsoleCodePages : public ::testing::Test {
 protected:
  static constexpr UINT kChinese = 936;

  void SetUp() override {
    inputBefore_ = GetConsoleCP();
    outputBefore_ = GetConsoleOutputCP();
    ASSERT_NE(outputBefore_, 0u) << "no console: run the test on a terminal";
    ASSERT_TRUE(SetConsoleCP(kChinese) && SetConsoleOutputCP(kChinese));
  }
  void TearDown() override {
    SetConsoleCP(inputBefore_);
    SetConsoleOutputCP(outputBefore_);
  }

  // Starts the program on this console.
  static PROCESS_INFORMATION Start(const std::string& arguments) {
    std::string commandLine = std::string(QNC_PROBE_PROGRAM) + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started) ==
        FALSE) {
      return {};
    }
    return started;
  }
  // Its exit status; STILL_ACTIVE when it had to be ended after a minute.
  static DWORD Finish(PROCESS_INFORMATION& started) {
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(started.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(started.hProcess, &status);
    if (status == STILL_ACTIVE) TerminateProcess(started.hProcess, 99);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return status;
  }

 private:
  UINT inputBefore_ = 0;
  UINT outputBefore_ = 0;
};

TEST_F(ConsoleCodePages, AreTheConsolesOwnAgainWhenTheProgramEnds) {
  const struct {
    const char* arguments;
    DWORD status;
  } cases[] = {
      {"--help", 0},
      {"--frobnicate", 2},
      {"lan-client --port 0", 2},
      {"--passes 1 --interval 100 --dns-server 127.0.0.1 --dns fast.test --ping 127.0.0.1 --game 127.0.0.1:9", 0},
  };
  for (const auto& c : cases) {
    PROCESS_INFORMATION started = Start(c.arguments);
    ASSERT_NE(started.hProcess, nullptr) << c.arguments;
    EXPECT_EQ(Finish(started), c.status) << c.arguments;
    EXPECT_EQ(GetConsoleOutputCP(), kChinese) << c.arguments;
    EXPECT_EQ(GetConsoleCP(), kChinese) << c.arguments;
  }
}

// Ctrl-C goes to every program on the console; this one lets it pass.
BOOL WINAPI LetCtrlCPass(DWORD event) { return event == CTRL_C_EVENT ? TRUE : FALSE; }

TEST_F(ConsoleCodePages, AreTheConsolesOwnAgainAfterCtrlC) {
  ASSERT_TRUE(SetConsoleCtrlHandler(&LetCtrlCPass, TRUE));
  PROCESS_INFORMATION started = Start("--ping 127.0.0.1 --interval 100");
  ASSERT_NE(started.hProcess, nullptr);
  // It switches to UTF-8 after it has begun to catch Ctrl-C.
  bool switched = false;
  for (int waited = 0; waited < 30000 && !switched; waited += 20) {
    switched = GetConsoleOutputCP() == CP_UTF8;
    if (!switched) Sleep(20);
  }
  EXPECT_TRUE(switched) << "the program never switched the console to UTF-8";
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  EXPECT_EQ(Finish(started), 0u);
  SetConsoleCtrlHandler(&LetCtrlCPass, FALSE);
  EXPECT_EQ(GetConsoleOutputCP(), kChinese);
  EXPECT_EQ(GetConsoleCP(), kChinese);
}

}  // namespace
