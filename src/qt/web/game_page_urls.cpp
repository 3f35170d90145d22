#include "qt/web/game_page_urls.h"

#include "views/templates/page_addresses.h"

namespace qnc {

QString PubgPageAddress() { return QString::fromUtf8(kPubgPageAddress); }

QString LolStatusPageAddress() { return QString::fromUtf8(kLolStatusPageAddress); }

}  // namespace qnc
