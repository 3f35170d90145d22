#include "qt/web/game_page_urls.h"

#include <gtest/gtest.h>

#include <QUrl>

#include "core/probe/default_rows.h"

namespace qnc {
namespace {

TEST(PageAddresses, PlainHttpAtTheFixedPaths) {
  const QUrl pubg(PubgPageAddress());
  const QUrl lol(LolStatusPageAddress());
  for (const QUrl& url : {pubg, lol}) {
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), "http");
    EXPECT_FALSE(url.host().isEmpty());
    EXPECT_EQ(url.port(), -1);
  }
  EXPECT_EQ(pubg.path(), "/cloud_quorix/PUBG.html");
  EXPECT_EQ(lol.path(), "/act/a20150326dqpd/index.htm");
}

TEST(PageAddresses, StatusPageLivesOnTheGameSiteOfTheDefaultRows) {
  const std::string host = QUrl(LolStatusPageAddress()).host().toStdString();
  ASSERT_GE(DefaultDnsRows().size(), 3u);
  ASSERT_GE(DefaultPingRows("").size(), 3u);
  EXPECT_EQ(host, DefaultDnsRows()[2].target);
  EXPECT_EQ(host, DefaultPingRows("")[2].target);
}

}  // namespace
}  // namespace qnc
