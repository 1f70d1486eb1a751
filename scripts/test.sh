#!/usr/bin/env bash
# Builds everything and runs every test: formatting, the warnings-as-errors
# build with unit, end-to-end and GUI tests, the Debian package installed
# and removed again (as root), the Windows cross build's unit tests under
# Wine, two minutes of the soak, then a clang ASan+UBSan build with the
# fuzzers, which runs the tests again and fuzzes every target briefly
# (VELMORA_FUZZ_SECONDS each, default 5). Ends with one summary line.
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

run_suite() {  # name build-dir cmake-args...
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
  echo "== $name: tests"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure 2>&1 | tee "$dir.ctest.log"
  return "${PIPESTATUS[0]}"
}

mkdir -p build
export QT_QPA_PLATFORM=offscreen

run_suite "main" build/ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON || status=1
read -r p1 f1 < <(summary build/ci.ctest.log 2>/dev/null || echo "0 1")

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

# Two minutes of the soak against the main build: live polling with the
# logger recording through injected faults (scripts/soak.sh, one hour by
# default; see docs/reliability.md).
echo "== soak (2 minutes)"
if VELMORA_STAGE=build/ci/stage nice -n 10 bash scripts/soak.sh 2; then
  p1=$((p1 + 1))
else
  f1=$((f1 + 1))
fi

# The Windows cross build's unit tests under Wine, then its programs end to
# end against the main build's virtual ECU: one pass or fail, like the
# package (a machine without Wine skips it).
echo "== windows"
if bash scripts/windows-test.sh build/mingw build/ci/stage; then
  p1=$((p1 + 1))
else
  f1=$((f1 + 1))
fi

CC=clang CXX=clang++ run_suite "sanitizers" build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_BUILD_GUI=OFF \
  -DVELMORA_BUILD_BENCHMARKS=OFF || status=1
read -r p2 f2 < <(summary build/asan.ctest.log 2>/dev/null || echo "0 1")

# Every fuzz target for a few seconds from its corpus, counted as one test.
echo "== fuzz"
if bash scripts/fuzz.sh "${VELMORA_FUZZ_SECONDS:-5}" build/asan; then
  p2=$((p2 + 1))
else
  f2=$((f2 + 1))
fi

if ((f1 + f2 > 0)); then
  status=1
fi
echo "total: $((p1 + p2)) passed, $((f1 + f2)) failed"
exit $status
