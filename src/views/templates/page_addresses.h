#pragma once

namespace qnc {

// The two game pages the main window's buttons show (plain http).
// The PUBG page on the maker's own web host (button "PUBG").
inline constexpr const char* kPubgPageAddress = "http://www.quorix.com/cloud_quorix/PUBG.html";
// League of Legends' status page on its publisher's site, the same host as the
// game site row of the DNS and ping tables (button "LOL状态").
inline constexpr const char* kLolStatusPageAddress = "http://game.qq.com/act/a20150326dqpd/index.htm";

}  // namespace qnc
