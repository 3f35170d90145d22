#pragma once
// One QApplication for a GUI test program, made before the first test runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <functional>

namespace qnc::testing {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char name[] = "lan_dialog_gui_tests";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QApplication* app_ = nullptr;
};

// Like WaitUntil, but keeps the Qt event loop turning so queued log notices arrive.
inline bool WaitWithEvents(const std::function<bool()>& condition,
                           std::chrono::milliseconds limit = std::chrono::milliseconds(8000)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

}  // namespace qnc::testing
