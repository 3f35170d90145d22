# Sourced by scripts/screenshot and scripts/screenshot-windows, inside their
# `unshare --net --mount --propagation private` shell: the private network
# the window measures there, and the X screen it shows on. No packet leaves
# the namespace.
#
# stand_in_network WORK: loopback up; a LAN of its own whose gateway
#   10.77.0.1 answers from this namespace; /etc/resolv.conf and /etc/hosts
#   bound to private copies in WORK that send every lookup to a dnsmasq on
#   127.0.0.1, which gives each default host of the window a loopback
#   address (127.0.1.1 to 127.0.1.5) for local servers to answer on. Sets up
#   `pids` and an EXIT trap that ends every process run_in_background started.
# run_in_background COMMAND...: starts COMMAND, ended with the shell.
# start_xvfb NUMBER: an Xvfb screen :NUMBER of 1280x1024, DISPLAY set to it.

end_background() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

run_in_background() {
  "$@" &
  pids+=($!)
}

stand_in_network() {
  local work=$1
  ip link set lo up
  ip link add qnc-lan type veth peer name qnc-peer
  ip addr add 10.77.0.2/24 dev qnc-lan
  ip link set qnc-peer up
  ip link set qnc-lan up
  ip route add default via 10.77.0.1 dev qnc-lan
  ip addr add 10.77.0.1/32 dev lo
  printf 'nameserver 127.0.0.1\n' >"$work/resolv.conf"
  printf '127.0.0.1 localhost\n' >"$work/hosts"
  mount --bind "$work/resolv.conf" /etc/resolv.conf
  mount --bind "$work/hosts" /etc/hosts

  pids=()
  trap end_background EXIT
  run_in_background dnsmasq --keep-in-foreground --no-resolv --no-hosts --bind-interfaces \
    --listen-address=127.0.0.1 --user=root --pid-file="$work/dnsmasq.pid" \
    --address=/www.baidu.com/127.0.1.1 --address=/www.sina.com.cn/127.0.1.2 \
    --address=/lol.qq.com/127.0.1.3 --address=/game.qq.com/127.0.1.4 --address=/lpl.qq.com/127.0.1.5
}

start_xvfb() {
  local number=$1
  run_in_background Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -br >/dev/null 2>&1
  for _ in $(seq 100); do [[ -S /tmp/.X11-unix/X$number ]] && break; sleep 0.05; done
  export DISPLAY=:$number
}
