#!/usr/bin/env bash
# Builds everything and starts the workstation against the virtual ECU.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=OFF \
  -DVELMORA_BUILD_BENCHMARKS=OFF >/dev/null
ninja -C build/run
stage="$here/build/run/stage"

sim_pid=""
cleanup() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# The virtual ECU registers its pseudo-terminal in the installation's port
# registry and prints "<device> <port number>" first.
if [[ -x "$stage/bin/velmora-ecusim" ]]; then
  exec 3< <("$stage/bin/velmora-ecusim" --root "$stage" 2>&1)
  sim_pid=$!
  if read -r -t 5 first <&3; then
    echo "virtual ECU: $first"
  fi
fi

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  "$stage/bin/velmora"
else
  echo "No display here: running the workstation off-screen for 3 seconds."
  QT_QPA_PLATFORM=offscreen VELMORA_LANGUAGE="${VELMORA_LANGUAGE:-0}" VELMORA_QUIT_AFTER_MS=3000 \
    "$stage/bin/velmora" && echo "The workstation started and closed cleanly."
  echo "To open the window, run this script from a desktop session, or: xvfb-run -a $stage/bin/velmora"
fi
