#!/usr/bin/env bash
# Cross-builds the core libraries, LinkSrv, velmora-cli and the unit tests
# for 64-bit Windows with Debian's mingw-w64, then runs every unit test
# executable under Wine in a private prefix below the build folder. Counts
# test executables. Given the stage of a Linux build, it then runs the
# Windows programs end to end against that build's virtual ECU
# (scripts/windows-e2e.sh). Without a toolchain or a working Wine it says why
# it skipped and succeeds.
#
#   bash scripts/windows-test.sh [BUILD_DIR [LINUX_STAGE]]   (default build/mingw)
#
# VELMORA_WINDOWS_STEP=build stops once the programs are built and Wine's
# prefix is ready, so the build can run beside something else; a later full
# run then finds it done.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
build="${1:-build/mingw}"
linux_stage="${2:-}"
jobs="${VELMORA_JOBS:-$(nproc)}"
packages=(mingw-w64 g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64)

skip() {
  echo "windows: skipped ($*)"
  exit 0
}

bash scripts/deps.sh "${packages[@]}" || echo "windows: some packages could not be installed"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || skip "no mingw-w64 compiler"
[[ -f /usr/src/googletest/CMakeLists.txt ]] || skip "no GoogleTest sources"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
mkdir -p "$build"
echo "== windows: configure and build"
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON -DVELMORA_BUILD_GUI=OFF \
  -DVELMORA_BUILD_BENCHMARKS=OFF "${launcher[@]}" >"$build.configure.log" 2>&1; then
  cat "$build.configure.log"
  echo "windows: configure failed"
  exit 1
fi
if ! ninja -C "$build" -j "$jobs"; then
  echo "windows: build failed"
  exit 1
fi

wine_cmd=$(command -v wine64 || command -v wine || true)
[[ -n "$wine_cmd" ]] || skip "wine is not installed"
wineserver_cmd=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
export WINEPREFIX="$here/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine sees the Linux root as drive Z:.
export VELMORA_STAGE="Z:$here/$build/stage" VELMORA_SOURCE="Z:$here"
if ! timeout 300 "$wine_cmd" "$build/stage/bin/velmora-cli.exe" --version >/dev/null 2>&1; then
  "$wineserver_cmd" -k 2>/dev/null || true
  skip "wine cannot run the programs"
fi
if [[ "${VELMORA_WINDOWS_STEP:-all}" == build ]]; then
  echo "windows: built"
  exit 0
fi

echo "== windows: unit tests under wine"
passed=0
failed=0
skipped=0
# The test programs this configuration builds: one left out since an earlier
# build must not run from its old binary.
mapfile -t exes < <(ninja -C "$build" -t targets all | grep -oE '^tests/[A-Za-z0-9_]+\.exe' | sort -u)
for rel in "${exes[@]}"; do
  exe="$build/$rel"
  name=$(basename "$exe" .exe)
  [[ "$name" == fake_* ]] && continue # helper programs the tests start
  log="$build/tests/$name.wine.log"
  run_ok=0
  timeout 600 "$wine_cmd" "$exe" --gtest_brief=1 >"$log" 2>&1 && run_ok=1
  # Wine's own server can drop a client; that run says nothing of the test,
  # so it gets one more.
  if ((!run_ok)) && grep -q "^wine client error" "$log"; then
    echo "  again $name (wine client error)"
    timeout 600 "$wine_cmd" "$exe" --gtest_brief=1 >"$log" 2>&1 && run_ok=1
  fi
  if ((run_ok)); then
    # An executable whose every case skipped itself ran nothing.
    if grep -q "^\[  PASSED  \] 0 tests" "$log"; then
      skipped=$((skipped + 1))
      echo "  skip  $name"
    else
      passed=$((passed + 1))
      echo "  pass  $name"
    fi
  else
    failed=$((failed + 1))
    echo "  FAIL  $name"
    tail -n 40 "$log"
  fi
done

e2e_ok=1
if [[ -n "$linux_stage" ]]; then
  echo "== windows: the programs end to end under wine"
  bash scripts/windows-e2e.sh "$build" "$linux_stage" || e2e_ok=0
fi
"$wineserver_cmd" -k 2>/dev/null || true

echo "windows: $passed tests passed, $failed failed, $skipped skipped (test executables)"
((failed == 0 && e2e_ok))
