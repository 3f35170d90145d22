#!/usr/bin/env bash
# Builds a chain of router namespaces to trace routes through, runs a command
# in the client namespace, and tears everything down.
#
#   client 10.200.0.2 -> r1 (10.200.0.1, the gateway) -> r2 -> ... -> rN -> destination 10.200.N.2
#
# Link k (0..N) is 10.200.k.0/24 between node k and node k+1 (the client is
# node 0, router k node k, the destination node N+1); router k answers from
# its left address: 10.200.0.1 for r1, 10.200.(k-1).2 after that. Every router
# forwards, and all but those listed in QNC_ROUTE_LIMITED (router numbers,
# default "2") answer without the kernel's ICMP rate limit.
#
# With QNC_ROUTE_DELAY_LINK=1, link 3 (r3 -> r4) runs through a namespace of
# its own with two interfaces and no addresses, where the test relays frames
# with a delay of its choice (nothing passes until it does). With
# QNC_ROUTE_ALTERNATE=1, a second router r3b joins r2 (10.201.2.0/24) and r4
# (10.201.3.0/24), for the test to move the route through it.
#
# The command gets the namespaces' names: QNC_ROUTE_NS_PREFIX (router k is
# ${prefix}r$k, the destination ${prefix}d, the delay namespace ${prefix}x, the
# alternate router ${prefix}r3b), QNC_ROUTE_ROUTERS, QNC_ROUTE_DESTINATION,
# QNC_ROUTE_DELAY_LEFT/RIGHT (the delay namespace's interfaces) and the left
# interface of each router as QNC_ROUTE_LEFT_IF_<k>.
# Usage: route_chain.sh COMMAND [ARGS...]   (QNC_ROUTE_ROUTERS: N, default 5)
# Exit 77 (skipped) when not root or when namespaces cannot be made here.
set -uo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "route lab skipped: it needs root to create network namespaces" >&2
  exit 77
fi
command -v ip >/dev/null || { echo "route lab skipped: ip is not installed" >&2; exit 77; }

routers=${QNC_ROUTE_ROUTERS:-5}
limited=" ${QNC_ROUTE_LIMITED-2} "
tag="qr$$"
client="${tag}c"
destination="${tag}d"
delay="${tag}x"
alternate="${tag}r3b"
namespaces=()

cleanup() {
  for ns in "${namespaces[@]}"; do ip netns del "$ns" 2>/dev/null; done
}
trap cleanup EXIT

make_ns() {
  ip netns add "$1" || return 1
  namespaces+=("$1")
  ip -n "$1" link set lo up
}

# A veth pair between two namespaces with an address on each side (no
# address: "-"). Offloads are off, so that a frame relayed by the test's delay
# line carries whole checksums.
link() {  # link NS_A IF_A ADDR_A NS_B IF_B ADDR_B
  ip link add "$2" type veth peer name "$5" || return 1
  ip link set "$2" netns "$1"
  ip link set "$5" netns "$4"
  [ "$3" != - ] && ip -n "$1" addr add "$3/24" dev "$2"
  [ "$6" != - ] && ip -n "$4" addr add "$6/24" dev "$5"
  if command -v ethtool >/dev/null; then
    ip netns exec "$1" ethtool -K "$2" tx off rx off >/dev/null 2>&1
    ip netns exec "$4" ethtool -K "$5" tx off rx off >/dev/null 2>&1
  fi
  ip -n "$1" link set "$2" up
  ip -n "$4" link set "$5" up
}

if ! make_ns "$client" 2>/dev/null; then
  echo "route lab skipped: cannot create network namespaces here" >&2
  exit 77
fi
set -e
for k in $(seq "$routers"); do make_ns "${tag}r$k"; done
make_ns "$destination"

left_address() { [ "$1" -eq 1 ] && echo 10.200.0.1 || echo "10.200.$(($1 - 1)).2"; }
node() {  # the namespace of node k
  if [ "$1" -eq 0 ]; then echo "$client"; elif [ "$1" -gt "$routers" ]; then echo "$destination"; else echo "${tag}r$1"; fi
}

for k in $(seq 0 "$routers"); do
  left_ns=$(node "$k")
  right_ns=$(node $((k + 1)))
  left_addr=$([ "$k" -eq 0 ] && echo 10.200.0.2 || echo "10.200.$k.1")
  right_addr=$([ "$k" -eq 0 ] && echo 10.200.0.1 || echo "10.200.$k.2")
  if [ "$k" -eq 3 ] && [ "${QNC_ROUTE_DELAY_LINK:-0}" = 1 ] && [ "$routers" -ge 4 ]; then
    make_ns "$delay"
    link "$left_ns" "${tag}l${k}" "$left_addr" "$delay" "${tag}xa" -
    link "$delay" "${tag}xb" - "$right_ns" "${tag}r${k}" "$right_addr"
  else
    link "$left_ns" "${tag}l${k}" "$left_addr" "$right_ns" "${tag}r${k}" "$right_addr"
  fi
done

ip -n "$client" route add default via 10.200.0.1
ip -n "$destination" route add default via "10.200.$routers.1"
for k in $(seq "$routers"); do
  ns="${tag}r$k"
  ip netns exec "$ns" sysctl -qw net.ipv4.ip_forward=1
  [[ $limited == *" $k "* ]] || ip netns exec "$ns" sysctl -qw net.ipv4.icmp_ratelimit=0
  for j in $(seq 0 "$routers"); do
    if [ "$j" -lt $((k - 1)) ]; then
      ip -n "$ns" route add "10.200.$j.0/24" via "10.200.$((k - 1)).1"
    elif [ "$j" -gt "$k" ]; then
      ip -n "$ns" route add "10.200.$j.0/24" via "10.200.$k.2"
    fi
  done
done

if [ "${QNC_ROUTE_ALTERNATE:-0}" = 1 ] && [ "$routers" -ge 4 ]; then
  make_ns "$alternate"
  link "${tag}r2" "${tag}a2" 10.201.2.1 "$alternate" "${tag}b2" 10.201.2.2
  link "$alternate" "${tag}a3" 10.201.3.1 "${tag}r4" "${tag}b3" 10.201.3.2
  ip netns exec "$alternate" sysctl -qw net.ipv4.ip_forward=1 net.ipv4.icmp_ratelimit=0
  for j in $(seq 0 "$routers"); do
    if [ "$j" -le 2 ]; then
      ip -n "$alternate" route add "10.200.$j.0/24" via 10.201.2.1
    else
      ip -n "$alternate" route add "10.200.$j.0/24" via 10.201.3.2
    fi
  done
fi
set +e

export QNC_ROUTE_NS_PREFIX="$tag" QNC_ROUTE_ROUTERS="$routers" QNC_ROUTE_DESTINATION="10.200.$routers.2"
export QNC_ROUTE_DELAY_LEFT="${tag}xa" QNC_ROUTE_DELAY_RIGHT="${tag}xb"
for k in $(seq "$routers"); do export "QNC_ROUTE_LEFT_IF_$k=${tag}r$((k - 1))"; done
ip netns exec "$client" "$@"
