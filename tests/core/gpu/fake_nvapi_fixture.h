#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qnc::test {

// Paths of the fake driver libraries, filled in by the build.
inline const std::string kFakeNvapi = QNC_FAKE_NVAPI_PATH;
inline const std::string kLibraryWithoutEntry = QNC_FAKE_WITHOUT_ENTRY_PATH;
inline const std::string kNoSuchLibrary = "/nonexistent/libnvidia-api.so.1";

// Sets a variable of this process's environment, which the fake library reads;
// an empty value removes it. (Windows' C library has no setenv.)
inline void SetEnvironmentValue(const char* name, const std::string& value) {
#if defined(_WIN32)
  ::_putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    ::unsetenv(name);
  } else {
    ::setenv(name, value.c_str(), 1);
  }
#endif
}

// Chooses the fake driver's behaviour and collects the events it logs. Set the
// scenario before the code under test runs: the fake reads it on every call.
class FakeNvapiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    logPath_ = std::filesystem::path(::testing::TempDir()) / ("fake_nvapi_" + name + ".log");
    std::filesystem::remove(logPath_);
    SetEnvironmentValue("QNC_FAKE_NVAPI_LOG", logPath_.string());
    UseScenario("");
  }

  void TearDown() override {
    SetEnvironmentValue("QNC_FAKE_NVAPI_LOG", "");
    SetEnvironmentValue("QNC_FAKE_NVAPI", "");
    std::filesystem::remove(logPath_);
  }

  static void UseScenario(const std::string& scenario) { SetEnvironmentValue("QNC_FAKE_NVAPI", scenario); }

  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream in(logPath_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::vector<std::string> LogLinesStartingWith(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const std::string& line : Log()) {
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
  }

 private:
  std::filesystem::path logPath_;
};

}  // namespace qnc::test
