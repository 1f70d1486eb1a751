#!/usr/bin/env bash
# The Windows programs end to end under Wine: velmora-cli.exe and LinkSrv.exe
# from the cross build reach the virtual ECU (a Linux program on a
# pseudo-terminal) through Wine's serial port COM9, which Wine maps onto the
# pseudo-terminal. This runs the Win32 pipes and child process between the
# two programs, the Win32 serial line, the port listing and the atomic file
# writes of the Windows build. The Linux velmora-cli then reads the same ECU
# and says whether the Windows one wrote what it said.
#
#   bash scripts/windows-e2e.sh WINDOWS_BUILD_DIR LINUX_STAGE
#
# Uses the Wine prefix in WINEPREFIX (scripts/windows-test.sh sets it).
# Prints one line per check and "windows e2e: N checks passed, M failed".
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "$1" && pwd)"
linux="$(cd "$2" && pwd)"
wine_cmd=$(command -v wine64 || command -v wine)
port=9
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
export WINEDEBUG=-all

work="$(mktemp -d /tmp/velmora-wine-e2e-XXXXXX)"
com_link="$WINEPREFIX/dosdevices/com$port"
sim_pid=""
cleanup() {
  [[ -n "$sim_pid" ]] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -f "$com_link"
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # description, then the command whose success is the check
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "  pass  $what"
  else
    failed=$((failed + 1))
    echo "  FAIL  $what"
  fi
}
windows_path() { echo "Z:${1//\//\\}"; }
win_cli() {  # velmora-cli.exe of the Windows installation
  VELMORA_DATA_DIR="$(windows_path "$work/win")" timeout 120 "$wine_cmd" \
    "$work/win/bin/velmora-cli.exe" --timeout 30 "$@"
}
linux_cli() {
  VELMORA_DATA_DIR="$work/linux" timeout 120 "$work/linux/bin/velmora-cli" --timeout 30 "$@"
}

# The virtual ECU registers its pseudo-terminal as port 9 in its own root.
mkdir -p "$work/sim/bin"
"$linux/bin/velmora-ecusim" --root "$work/sim" --port "$port" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  grep -q " $port\$" "$work/sim.out" 2>/dev/null && break
  sleep 0.1
done
pty=$(awk 'NR == 1 { print $1 }' "$work/sim.out")
if [[ ! -c "$pty" ]]; then
  echo "windows e2e: the virtual ECU did not start"
  cat "$work/sim.out"
  exit 1
fi
ln -sfn "$pty" "$com_link"

# Two installations on the one ECU. Wine's device installer lists no serial
# ports, so the Windows one has COM9 in its port registry already, as the
# listing would leave it on Windows.
cp -r "$build/stage" "$work/win"
cp -r "$linux" "$work/linux"
printf '%s\r\n' "$port" >"$work/win/bin/PortCom.ini"
printf '[COM%s]\r\n\\\\.\\COM%s\r\n' "$port" "$port" >"$work/win/bin/PortReg.ini"
printf '%s\r\n' "$port" >"$work/linux/bin/PortCom.ini"
cp "$work/sim/bin/PortReg.ini" "$work/linux/bin/PortReg.ini"

win_cli ports 2>&1 | tr -d '\r' >"$work/ports.txt"
check "ports lists COM$port" grep -qx "COM$port" "$work/ports.txt"
win_cli identify >"$work/identify.txt" 2>&1
check "identify names the ECU" grep -q "^generation: 3" "$work/identify.txt"

# A map cell changed through the Windows programs reaches the ECU: the Linux
# reading differs from the Windows one in that cell alone.
start=$(date +%s%N)
win_cli read "$(windows_path "$work/before.xsi")" >/dev/null 2>&1
echo "  (the whole calibration read in $((($(date +%s%N) - start) / 1000000)) ms)"
check "read saves the calibration" test -s "$work/before.xsi"
value=77 # the fresh virtual ECU's map holds 97 there
win_cli map set 0 3 4 "$value" >"$work/map.txt" 2>&1
check "map set is written and read back" test $? -eq 0
linux_cli read "$work/after.xsi" >/dev/null 2>&1
"$work/linux/bin/velmora-cli" diff "$work/before.xsi" "$work/after.xsi" >"$work/diff.txt" 2>&1
check "the ECU holds the cell the Windows programs wrote" \
  grep -qx "map 0 row 3 col 4: [0-9]* → $value" "$work/diff.txt"
check "and nothing else changed" test "$(wc -l <"$work/diff.txt")" -eq 1

# Saving over an existing file replaces it whole.
win_cli read "$(windows_path "$work/after.xsi")" >/dev/null 2>&1
"$work/linux/bin/velmora-cli" diff "$work/after.xsi" "$work/before.xsi" >/dev/null 2>&1
check "a save over an existing file replaces it" test $? -eq 1
linux_cli read "$work/linux.xsi" >/dev/null 2>&1
check "the replaced file equals the Linux reading" \
  "$work/linux/bin/velmora-cli" diff "$work/after.xsi" "$work/linux.xsi"
leftovers=$(find "$work" -maxdepth 1 -name '*.tmp*' | wc -l)
check "no temporary file is left" test "$leftovers" -eq 0

echo "windows e2e: $passed checks passed, $failed failed"
((failed == 0))
