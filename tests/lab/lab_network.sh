#!/usr/bin/env bash
# Builds a private test network, runs a command inside it, and tears it down.
#
#   client namespace  10.77.0.2/24, default route via 10.77.0.1, resolv.conf -> 10.77.0.1
#        | veth
#   router namespace  10.77.0.1/24, forwards (so it answers "net unreachable" for
#                     10.88.0.0/16, which it has no route to), dnsmasq on 10.77.0.1:53
#                     answering for *.lab only: alpha.lab, beta.lab, a CNAME chain
#                     www.chain.lab -> mid.chain.lab -> end.chain.lab, v6only.lab with
#                     no A record (NODATA) and the wildcard *.wild.lab.
#
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
workdir=$(mktemp -d)
dnsmasq_pid=""

cleanup() {
  [ -n "$dnsmasq_pid" ] && kill "$dnsmasq_pid" 2>/dev/null && wait "$dnsmasq_pid" 2>/dev/null
  ip netns del "$client" 2>/dev/null
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
ip link add "${tag}a" type veth peer name "${tag}b"
ip link set "${tag}a" netns "$router"
ip link set "${tag}b" netns "$client"
ip -n "$router" addr add 10.77.0.1/24 dev "${tag}a"
ip -n "$client" addr add 10.77.0.2/24 dev "${tag}b"
for ns in "$router" "$client"; do ip -n "$ns" link set lo up; done
ip -n "$router" link set "${tag}a" up
ip -n "$client" link set "${tag}b" up
ip -n "$client" route add default via 10.77.0.1
ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1

mkdir -p "/etc/netns/$client"
echo "nameserver 10.77.0.1" > "/etc/netns/$client/resolv.conf"
# A hosts file of its own, so that nothing but dnsmasq answers names in the lab.
printf '127.0.0.1 localhost\n' > "/etc/netns/$client/hosts"

ip netns exec "$router" dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
  --listen-address=10.77.0.1 --bind-interfaces --user=root --pid-file="$workdir/dnsmasq.pid" \
  --address=/alpha.lab/10.77.0.1 --address=/beta.lab/10.77.0.7 --address=/#/ \
  --host-record=end.chain.lab,10.77.0.21 --cname=www.chain.lab,mid.chain.lab --cname=mid.chain.lab,end.chain.lab \
  --host-record=v6only.lab,fd00::77 --address=/wild.lab/10.77.0.30 \
  --log-facility="$workdir/dnsmasq.log" &
dnsmasq_pid=$!
for _ in $(seq 50); do
  ip netns exec "$router" ss -lun 2>/dev/null | grep -q '10.77.0.1:53' && break
  sleep 0.1
done
set +e

export QNC_LAB_GATEWAY=10.77.0.1 QNC_LAB_CLIENT=10.77.0.2
ip netns exec "$client" "$@"
