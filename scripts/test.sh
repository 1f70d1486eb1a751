#!/usr/bin/env bash
# Builds everything and runs every test: formatting, the warnings-as-errors
# build with unit, end-to-end and GUI tests, the Debian package installed
# and removed again (as root), the Windows cross build's unit tests and
# programs under Wine, then a clang ASan+UBSan build with the fuzzers, which
# runs the tests again and fuzzes every target briefly (VELMORA_FUZZ_SECONDS
# each, default 5) beside two minutes of the soak. Ends with one summary line.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
jobs="${VELMORA_JOBS:-$(nproc)}"
status=0

bash scripts/deps.sh || exit 1

echo "== clang-format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "clang-format: files need formatting"
  status=1
fi

summary() {  # log file -> "passed failed"
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [[ -z "$line" ]]; then
    echo "0 1"
    return
  fi
  local failed total
  failed=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  echo "$((total - failed)) $failed"
}

build_suite() {  # name build-dir cmake-args...
  local name=$1 dir=$2
  shift 2
  echo "== $name: configure and build"
  if ! cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"
    echo "$name: configure failed"
    return 1
  fi
  if ! ninja -C "$dir" -j "$jobs"; then
    echo "$name: build failed"
    return 1
  fi
}

test_suite() {  # name build-dir
  echo "== $1: tests"
  ctest --test-dir "$2" -j "$jobs" --output-on-failure 2>&1 | tee "$2.ctest.log"
  return "${PIPESTATUS[0]}"
}

mkdir -p build
export QT_QPA_PLATFORM=offscreen

# The Windows cross build compiles at the lowest priority while the main
# tests run: most of their time is spent waiting on the virtual serial line.
win_build_pid=""
if build_suite "main" build/ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON; then
  VELMORA_WINDOWS_STEP=build nice -n 19 bash scripts/windows-test.sh build/mingw \
    >build/mingw.build.log 2>&1 &
  win_build_pid=$!
  test_suite "main" build/ci || status=1
else
  status=1
fi
read -r p1 f1 < <(summary build/ci.ctest.log 2>/dev/null || echo "0 1")

# The Windows cross build's unit tests under Wine, then its programs end to
# end against the main build's virtual ECU: one pass or fail, like the
# package (a machine without Wine skips it).
# Waiting for the build here also keeps its package installs away from the
# package test's dpkg.
echo "== windows"
if [[ -n "$win_build_pid" ]] && ! wait "$win_build_pid"; then
  cat build/mingw.build.log
fi
if bash scripts/windows-test.sh build/mingw build/ci/stage; then
  p1=$((p1 + 1))
else
  f1=$((f1 + 1))
fi

# The Debian package: built, installed, tried and removed. It needs root and
# an installation folder that is not there yet, as on a clean CI machine.
echo "== package"
if [[ $(id -u) -ne 0 || -e /opt/velmora ]] || ! command -v dpkg >/dev/null; then
  echo "package: skipped (needs root, dpkg and no /opt/velmora)"
elif bash scripts/package-test.sh build/ci; then
  p1=$((p1 + 1))
else
  f1=$((f1 + 1))
fi

if CC=clang CXX=clang++ build_suite "sanitizers" build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_BUILD_GUI=OFF \
  -DVELMORA_BUILD_BENCHMARKS=OFF; then
  test_suite "sanitizers" build/asan || status=1
else
  status=1
fi
read -r p2 f2 < <(summary build/asan.ctest.log 2>/dev/null || echo "0 1")

# Two minutes of the soak against the main build (live polling with the
# logger recording through injected faults; scripts/soak.sh, one hour by
# default; see docs/reliability.md) beside every fuzz target for a few
# seconds from its corpus: the fuzzers take one core at the lowest priority,
# the soak mostly waits on the line. Each counts as one test.
echo "== soak (2 minutes) and fuzz"
VELMORA_STAGE=build/ci/stage nice -n 10 bash scripts/soak.sh 2 >build/soak.log 2>&1 &
soak_pid=$!
if bash scripts/fuzz.sh "${VELMORA_FUZZ_SECONDS:-5}" build/asan; then
  p2=$((p2 + 1))
else
  f2=$((f2 + 1))
fi
soak_ok=0
wait "$soak_pid" && soak_ok=1
echo "== soak"
cat build/soak.log
if ((soak_ok)); then
  p1=$((p1 + 1))
else
  f1=$((f1 + 1))
fi

if ((f1 + f2 > 0)); then
  status=1
fi
echo "total: $((p1 + p2)) passed, $((f1 + f2)) failed"
exit $status
