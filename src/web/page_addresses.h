#pragma once
#include <QString>

namespace qnc {

// The two game pages the main window's buttons show (plain http).
// The PUBG page on the maker's own web host (button "PUBG").
QString PubgPageAddress();
// League of Legends' status page on its publisher's site, the same host as the
// game site row of the DNS and ping tables (button "LOL状态").
QString LolStatusPageAddress();

}  // namespace qnc
