#include "qt/lan/lan_log_view.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <random>

#include "core/lantest/lan_log_store.h"
#include "qt_test_app.h"

namespace qnc {
namespace {

// A mixed stream of replacements, lines in front and lines at the end,
// applied to the control in batches of varying size: the control ends up
// showing exactly the store's text.
TEST(LanLogViewTest, ControlMirrorsTheStore) {
  LanLogStore store;
  QPlainTextEdit view;
  int notices = 0;
  store.SetChangeListener([&] { ++notices; });
  std::mt19937 random(7);
  for (int step = 0; step < 600; ++step) {
    const std::string line = "第" + std::to_string(step) + "行\r\n";
    switch (random() % 10) {
      case 0:
        store.Replace(line);
        break;
      case 1:
      case 2:
        store.Append(line);
        break;
      default:
        store.Prepend(line);
        break;
    }
    if (random() % 7 == 0) ApplyLogChanges(view, store.TakeChanges());
  }
  ApplyLogChanges(view, store.TakeChanges());
  EXPECT_EQ(LogViewText(view), store.Text());
  EXPECT_GT(notices, 1);
}

}  // namespace
}  // namespace qnc
