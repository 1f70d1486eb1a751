#!/usr/bin/env bash
# Builds everything and starts the workstation against the virtual ECU. With
# no display it runs a headless demo through velmora-cli instead, then the
# workstation off-screen for a few seconds, and says how to open the window.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=OFF \
  -DVELMORA_BUILD_BENCHMARKS=OFF >/dev/null
ninja -C build/run
stage="$here/build/run/stage"
bin="$stage/bin"

sim_pid=""
cleanup() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# The virtual ECU registers its pseudo-terminal in the installation's port
# registry and prints "<device> <port number>" first; the workstation finds
# it there by itself.
exec 3< <(exec "$bin/velmora-ecusim" --root "$stage" 2>&1)
sim_pid=$!
if ! read -r -t 10 device port <&3 || [[ ! "$port" =~ ^[0-9]+$ ]]; then
  echo "The virtual ECU did not start: ${device:-} ${port:-}" >&2
  exit 1
fi
echo "Virtual ECU on $device (COM$port)."
# Keep draining its output so that it never blocks on a full pipe.
cat <&3 >/dev/null &
# Remember its port as a fitter's choice on the connection page would, so
# that a port left over from an earlier run is not tried instead.
printf '%s\r\n' "$port" >"$bin/PortCom.ini"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  "$bin/velmora"
  exit 0
fi

echo
echo "No display here: a headless demo through velmora-cli."
echo
echo "== velmora-cli identify"
"$bin/velmora-cli" --port "$port" identify
echo
echo "== velmora-cli read Data/demo.xsi"
"$bin/velmora-cli" --port "$port" read "$stage/Data/demo.xsi"
echo "Calibration saved in $stage/Data/demo.xsi ($(wc -c <"$stage/Data/demo.xsi") bytes)."
echo
echo "== velmora-cli live --count 60 --fields 32,33,43 (3 seconds at 20 polls/s)"
echo "rpm, gas pressure (mbar), reducer temperature (C); the last of 60 lines:"
"$bin/velmora-cli" --port "$port" live --count 60 --fields 32,33,43 | tail -n 5
echo
echo "== velmora off-screen for 6 seconds: it finds the ECU, polls it and closes"
QT_QPA_PLATFORM=offscreen VELMORA_LANGUAGE="${VELMORA_LANGUAGE:-0}" VELMORA_QUIT_AFTER_MS=6000 \
  "$bin/velmora" 2> >(grep -v "does not support" >&2) &&
  echo "The workstation ran and closed through its exit sequence."
echo
echo "To open the window, run this script from a desktop session, or:"
echo "  xvfb-run -a $bin/velmora"
