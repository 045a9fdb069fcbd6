#!/usr/bin/env bash
# Sets up, builds and runs the workstation. When COM1 leads to no instrument, a simulated
# instrument is published as COM1 first and stopped again when the workstation ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

bin=build/release
ports="${ZKV_PORTS:-/var/lib/zkvdesk/ports}"
export ZKV_PORTS="$ports"
mkdir -p "$ports"

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

if [ -e "$ports/COM1" ]; then
  echo "COM1 leads to $(readlink -f "$ports/COM1"); no simulator started."
else
  "$bin/sim/zkvsim" --port 1 --folder "$ports" &
  sim_pid=$!
  for _ in $(seq 50); do [ -L "$ports/COM1" ] && break; sleep 0.1; done
fi

if [ -x "$bin/app/zkvdesk" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the workstation runs under Xvfb."
    xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/app/zkvdesk" "$@"
  else
    "$bin/app/zkvdesk" "$@"
  fi
else
  echo "The simulated instrument answers on COM1 until you press Ctrl+C."
  wait "$sim_pid"
fi
