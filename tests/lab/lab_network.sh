#!/usr/bin/env bash
# Builds a private test network, runs a command inside it, and tears it down.
#
#   client namespace  10.77.0.2/24, default route via 10.77.0.1, resolv.conf -> 10.77.0.1
#        | veth
#   router namespace  10.77.0.1/24, forwards (so it answers "net unreachable" for
#                     10.88.0.0/16, which it has no route to), dnsmasq on 10.77.0.1:53
#                     answering for *.lab only: alpha.lab, beta.lab, a CNAME chain
#                     www.chain.lab -> mid.chain.lab -> end.chain.lab, v6only.lab with
#                     no A record (NODATA), the wildcard *.wild.lab, and host1.lab,
#                     host2.lab, game1.lab for the outside hosts below.
#        | veth
#   outside namespace 10.99.0.2/24 and 10.99.0.10-13 (hosts and game servers beyond
#                     the router: "the internet"), default route via 10.99.0.1
#
# The tests get the namespaces' names (QNC_LAB_ROUTER, QNC_LAB_OUTSIDE) and the
# router's interface names (QNC_LAB_ROUTER_LAN, QNC_LAB_ROUTER_WAN) to break links
# on purpose with nftables rules in the router.
# The two namespaces have no other interfaces: nothing can leave them.
# Usage: lab_network.sh COMMAND [ARGS...]   (COMMAND runs in the client namespace)
# Exit 77 (skipped) when not root or when namespaces cannot be made here.
set -uo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "lab tests skipped: they need root to create network namespaces" >&2
  exit 77
fi
for tool in ip dnsmasq; do
  command -v "$tool" >/dev/null || { echo "lab tests skipped: $tool is not installed" >&2; exit 77; }
done

tag="qnc$$"
router="${tag}r"
client="${tag}c"
outside="${tag}o"
workdir=$(mktemp -d)
dnsmasq_pid=""

cleanup() {
  [ -n "$dnsmasq_pid" ] && kill "$dnsmasq_pid" 2>/dev/null && wait "$dnsmasq_pid" 2>/dev/null
  ip netns del "$client" 2>/dev/null
  ip netns del "$outside" 2>/dev/null
  ip netns del "$router" 2>/dev/null
  rm -rf "/etc/netns/$client" "$workdir"
}
trap cleanup EXIT

set -e
if ! ip netns add "$router" 2>/dev/null; then
  echo "lab tests skipped: cannot create network namespaces here" >&2
  exit 77
fi
ip netns add "$client"
ip netns add "$outside"
ip link add "${tag}a" type veth peer name "${tag}b"
ip link set "${tag}a" netns "$router"
ip link set "${tag}b" netns "$client"
ip link add "${tag}w" type veth peer name "${tag}x"
ip link set "${tag}w" netns "$router"
ip link set "${tag}x" netns "$outside"
ip -n "$router" addr add 10.77.0.1/24 dev "${tag}a"
ip -n "$client" addr add 10.77.0.2/24 dev "${tag}b"
ip -n "$router" addr add 10.99.0.1/24 dev "${tag}w"
ip -n "$outside" addr add 10.99.0.2/24 dev "${tag}x"
for host in 10 11 12 13; do ip -n "$outside" addr add "10.99.0.$host/24" dev "${tag}x"; done
for ns in "$router" "$client" "$outside"; do ip -n "$ns" link set lo up; done
ip -n "$router" link set "${tag}a" up
ip -n "$router" link set "${tag}w" up
ip -n "$client" link set "${tag}b" up
ip -n "$outside" link set "${tag}x" up
ip -n "$client" route add default via 10.77.0.1
ip -n "$outside" route add default via 10.99.0.1
ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1

mkdir -p "/etc/netns/$client"
# One short try per lookup, so that a lookup the tests leave hanging ends soon.
printf 'nameserver 10.77.0.1\noptions timeout:1 attempts:1\n' > "/etc/netns/$client/resolv.conf"
# A hosts file of its own, so that nothing but dnsmasq answers names in the lab.
printf '127.0.0.1 localhost\n' > "/etc/netns/$client/hosts"

ip netns exec "$router" dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
  --listen-address=10.77.0.1 --bind-interfaces --user=root --pid-file="$workdir/dnsmasq.pid" \
  --address=/alpha.lab/10.77.0.1 --address=/beta.lab/10.77.0.7 --address=/#/ \
  --host-record=end.chain.lab,10.77.0.21 --cname=www.chain.lab,mid.chain.lab --cname=mid.chain.lab,end.chain.lab \
  --host-record=v6only.lab,fd00::77 --address=/wild.lab/10.77.0.30 \
  --address=/host1.lab/10.99.0.10 --address=/host2.lab/10.99.0.11 --address=/game1.lab/10.99.0.13 \
  --log-facility="$workdir/dnsmasq.log" &
dnsmasq_pid=$!
for _ in $(seq 50); do
  ip netns exec "$router" ss -lun 2>/dev/null | grep -q '10.77.0.1:53' && break
  sleep 0.1
done
set +e

export QNC_LAB_GATEWAY=10.77.0.1 QNC_LAB_CLIENT=10.77.0.2
export QNC_LAB_ROUTER="$router" QNC_LAB_OUTSIDE="$outside" QNC_LAB_ROUTER_LAN="${tag}a" QNC_LAB_ROUTER_WAN="${tag}w"
ip netns exec "$client" "$@"
