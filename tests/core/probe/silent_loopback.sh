#!/bin/sh
# Runs a command in a network namespace of its own (a user namespace gives it
# root's network rights there without being root) with only loopback up, where
#   127.1.0.0/16 is silent: requests arrive, but every answer from there
#                (echo reply, SYN-ACK, reset, port unreachable) is dropped;
#   127.2.0.0/16 cannot be reached: a send there fails at once.
# The local table's rule moves behind these two so they are looked at first.
exec unshare -rn sh -c '
  ip link set lo up &&
  ip rule add pref 100 lookup local && ip rule del pref 0 &&
  ip rule add pref 10 from 127.1.0.0/16 blackhole &&
  ip rule add pref 11 to 127.2.0.0/16 unreachable &&
  exec "$0" "$@"' "$@"
