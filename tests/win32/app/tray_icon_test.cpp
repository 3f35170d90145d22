// The tray icon against a stand-in task bar that takes or refuses icons, as
// Explorer does when it runs, is gone, or starts anew.
#include "win32/app/tray_icon.h"

#include <gtest/gtest.h>

#include <vector>

namespace qnc {
namespace {

struct FakeTaskBar {
  bool running = false;
  std::vector<DWORD> calls;
  TrayIcon::Notify Notify() {
    return [this](DWORD action, NOTIFYICONDATAW&) {
      calls.push_back(action);
      return running ? TRUE : FALSE;
    };
  }
};

TEST(TrayIcon, AnIconNoTaskBarTookGoesInWithTheNextTaskBar) {
  FakeTaskBar bar;
  TrayIcon icon(nullptr, nullptr, bar.Notify());
  EXPECT_FALSE(icon.Add()) << "no task bar: the window is told so";
  EXPECT_FALSE(icon.Shown());

  bar.running = true;
  icon.OnTaskbarCreated();
  EXPECT_TRUE(icon.Shown());
  EXPECT_EQ(bar.calls, (std::vector<DWORD>{NIM_ADD, NIM_ADD}));

  // Explorer restarts: the new task bar gets the icon again.
  icon.OnTaskbarCreated();
  EXPECT_TRUE(icon.Shown());
  EXPECT_EQ(bar.calls.size(), 3u);
}

TEST(TrayIcon, AnIconNoLongerWantedStaysOutOfANewTaskBar) {
  const struct {
    bool runningAtAdd;
    std::vector<DWORD> calls;  // through Add, Remove and a new task bar
  } cases[] = {
      {true, {NIM_ADD, NIM_DELETE}},
      {false, {NIM_ADD}},
  };
  for (const auto& c : cases) {
    FakeTaskBar bar;
    bar.running = c.runningAtAdd;
    TrayIcon icon(nullptr, nullptr, bar.Notify());
    EXPECT_EQ(icon.Add(), c.runningAtAdd);
    icon.Remove();
    bar.running = true;
    icon.OnTaskbarCreated();
    EXPECT_FALSE(icon.Shown());
    EXPECT_EQ(bar.calls, c.calls) << "task bar running at Add: " << c.runningAtAdd;
  }
}

}  // namespace
}  // namespace qnc
