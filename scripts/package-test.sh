#!/usr/bin/env bash
# Builds the Debian package, installs it, runs the installed virtual ECU and
# velmora-cli identify against it (as root, then as an unprivileged user whose
# files must land in their own data folder and nothing in /opt/velmora),
# checks the desktop entry, removes the package and checks that none of its
# files is left. Runs as root on a machine where the package is not
# installed; /opt/velmora must not exist.
#
#   bash scripts/package-test.sh [BUILD_DIR]     (default build/dev)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build/dev}"
prefix=/opt/velmora
started=$(date +%s)

fail() {
  echo "package-test: $*" >&2
  exit 1
}

[[ $(id -u) -eq 0 ]] || fail "must run as root (dpkg -i)"
dpkg-query -W velmora >/dev/null 2>&1 && fail "the velmora package is already installed"
[[ -e "$prefix" ]] && fail "$prefix exists already"

work="$(mktemp -d)"
# The unprivileged user's home: its own folder, outside root's private $work.
user_home="$(mktemp -d)"
sim_pid=""
installed=""
cleanup() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  if [[ -n "$installed" ]]; then
    dpkg -r velmora >/dev/null 2>&1 || true
  fi
  # Whatever the run wrote (port registry, remembered port) goes too: the
  # folder did not exist before.
  rm -rf "$prefix" "$work" "$user_home"
}
trap cleanup EXIT

echo "== building and packaging ($build)"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" >/dev/null
rm -f "$build"/package/velmora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/package/velmora_*.deb)"
echo "   $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb -I "$deb" | grep -E '^ (Depends|Installed-Size):'

echo "== installing"
dpkg -i "$deb" >/dev/null
installed=1
for f in velmora LinkSrv velmora-cli velmora-ecusim; do
  [[ -x "$prefix/bin/$f" ]] || fail "$prefix/bin/$f is missing"
done
"$prefix/bin/velmora-cli" --version

# Starts the installed virtual ECU through "$@" (a command prefix, possibly
# empty) and waits for its "device port" line; sets sim_pid, device, port.
start_sim() {
  "$@" "$prefix/bin/velmora-ecusim" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/sim.out" ]] && break
    kill -0 "$sim_pid" 2>/dev/null || fail "velmora-ecusim ended: $(cat "$work/sim.err")"
    sleep 0.1
  done
  read -r device port <"$work/sim.out" || fail "velmora-ecusim printed no line"
  echo "   virtual ECU on $device as port $port"
}

stop_sim() {
  kill "$sim_pid"
  wait "$sim_pid" || true
  sim_pid=""
  : >"$work/sim.out"
}

echo "== the installed velmora-cli identifies the installed virtual ECU"
start_sim
"$prefix/bin/velmora-cli" --port "$port" --timeout 30 identify | tee "$work/identify.out"
grep -q '^generation: ' "$work/identify.out" || fail "identify found no ECU"
stop_sim

echo "== an unprivileged user: own files in their data folder, none in $prefix"
chown nobody:nogroup "$user_home"
as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups
  env -i HOME="$user_home" PATH=/usr/bin:/bin)
snapshot() { find "$prefix" -printf '%p %s %T@\n' | sort; }
snapshot >"$work/tree.before"
start_sim "${as_user[@]}"
"${as_user[@]}" "$prefix/bin/velmora-cli" --port "$port" --timeout 30 identify |
  tee "$work/identify-user.out"
grep -q '^generation: ' "$work/identify-user.out" || fail "identify found no ECU as nobody"
stop_sim
user_data="$user_home/.local/share/velmora"
for f in bin/PortReg.ini bin/PortCom.ini lng/OsciSetUp.ini; do
  [[ -f "$user_data/$f" ]] || fail "$user_data/$f is missing"
done
[[ $(stat -c %U "$user_data/bin/PortReg.ini") == nobody ]] || fail "the registry is not the user's"
snapshot >"$work/tree.after"
diff "$work/tree.before" "$work/tree.after" >&2 || fail "the unprivileged run wrote into $prefix"
echo "   port files in $user_data, $prefix untouched"

echo "== desktop entry"
entry=/usr/share/applications/velmora.desktop
[[ -f "$entry" ]] || fail "$entry is missing"
[[ -f /usr/share/icons/hicolor/scalable/apps/velmora.svg ]] || fail "the icon is missing"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry"
  echo "   valid"
else
  echo "   desktop-file-validate not installed: not checked"
fi

echo "== removing"
dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' | sed 's|^\./|/|' |
  grep -v '/$' >"$work/files"
dpkg -r velmora >/dev/null
installed=""
left=0
while IFS= read -r f; do
  if [[ -e "$f" ]]; then
    echo "   left behind: $f" >&2
    left=1
  fi
done <"$work/files"
((left == 0)) || fail "files of the package are left after dpkg -r"
echo "   none of the package's $(wc -l <"$work/files") files is left"
if [[ -d "$prefix" ]]; then
  echo "   written at run time and left by dpkg -r:"
  find "$prefix" -type f | sed 's/^/     /'
fi

echo "package-test: OK in $(($(date +%s) - started)) s"
