#include "web/page_addresses.h"

#include "ui/page_addresses.h"

namespace qnc {

QString PubgPageAddress() { return QString::fromUtf8(kPubgPageAddress); }

QString LolStatusPageAddress() { return QString::fromUtf8(kLolStatusPageAddress); }

}  // namespace qnc
