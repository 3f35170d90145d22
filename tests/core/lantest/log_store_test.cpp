#include <gtest/gtest.h>

#include "core/lantest/lan_log_store.h"

namespace qnc {
namespace {

TEST(LanLogStoreTest, FrontEndAndReplace) {
  LanLogStore log;
  log.Append("b\r\n");
  log.Prepend("a\r\n");
  log.Append("c\r\n");
  EXPECT_EQ(log.Text(), "a\r\nb\r\nc\r\n");
  log.Replace("fresh\r\n");
  log.Prepend("top\r\n");
  EXPECT_EQ(log.Text(), "top\r\nfresh\r\n");
}

TEST(LanLogStoreTest, ChangesFoldUntilTheViewTakesThem) {
  LanLogStore log;
  log.Append("before\r\n");
  int notices = 0;
  log.SetChangeListener([&] { ++notices; });

  auto initial = log.TakeChanges();
  EXPECT_TRUE(initial.replaced) << "a new view starts from the whole text";
  EXPECT_EQ(initial.base, "before\r\n");

  log.Prepend("1\r\n");
  log.Append("end\r\n");
  log.Prepend("2\r\n");
  EXPECT_EQ(notices, 1) << "one notice until the view has looked";
  auto changes = log.TakeChanges();
  EXPECT_FALSE(changes.replaced);
  EXPECT_EQ(changes.front, "2\r\n1\r\n");
  EXPECT_EQ(changes.back, "end\r\n");

  log.Prepend("old\r\n");
  log.Replace("start\r\n");
  log.Prepend("new\r\n");
  EXPECT_EQ(notices, 2);
  changes = log.TakeChanges();
  EXPECT_TRUE(changes.replaced);
  EXPECT_EQ(changes.base, "start\r\n");
  EXPECT_EQ(changes.front, "new\r\n");
  EXPECT_TRUE(log.TakeChanges().Empty());

  log.SetChangeListener({});
  log.Prepend("unseen\r\n");
  EXPECT_TRUE(log.TakeChanges().Empty()) << "nothing gathers without a view";
  EXPECT_EQ(notices, 2);
  EXPECT_EQ(log.Text(), "unseen\r\nnew\r\nstart\r\n");
}

}  // namespace
}  // namespace qnc
