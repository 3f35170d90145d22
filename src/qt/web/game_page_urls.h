#pragma once
#include <QString>

namespace qnc {

// The two game pages the main window's buttons show, as the web window takes
// them (views/templates/page_addresses.h holds the addresses for every front end).
QString PubgPageAddress();
QString LolStatusPageAddress();

}  // namespace qnc
