#!/usr/bin/env bash
# Inside the route lab's client (route_chain.sh): drops a quarter of what
# reaches r3 from r2, then traces the destination with quorix-probe and with
# mtr, one after the other at one probe per hop and second.
# Usage: trace_vs_mtr.sh QUORIX-PROBE [ROUNDS]
set -uo pipefail
probe=$1
rounds=${2:-10}
ip netns exec "${QNC_ROUTE_NS_PREFIX}r3" nft -f - <<NFT
table ip qnc_loss {
 chain pre {
  type filter hook prerouting priority -300; policy accept;
  iifname "$QNC_ROUTE_LEFT_IF_3" numgen random mod 100 < 25 drop
 }
}
NFT
echo "-- quorix-probe trace"
/usr/bin/time -f "(quorix-probe: %e s, %U+%S s CPU, %M KiB peak)" \
  "$probe" trace "$QNC_ROUTE_DESTINATION" --count "$rounds" --interval 1000 --no-names
echo "-- mtr --report"
/usr/bin/time -f "(mtr: %e s, %U+%S s CPU, %M KiB peak)" \
  mtr --report --report-wide --report-cycles "$rounds" --interval 1 --no-dns "$QNC_ROUTE_DESTINATION"
