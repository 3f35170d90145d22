#include "web/page_addresses.h"

namespace qnc {

QString PubgPageAddress() { return QStringLiteral("http://www.quorix.com/cloud_quorix/PUBG.html"); }

QString LolStatusPageAddress() { return QStringLiteral("http://game.qq.com/act/a20150326dqpd/index.htm"); }

}  // namespace qnc
