#!/usr/bin/env bash
# Runs every libFuzzer target for a while and reports what it did.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR]
# SECONDS_PER_TARGET defaults to 60, BUILD_DIR to build/asan. A BUILD_DIR
# that is not configured yet is configured here as an optimized sanitizer
# tree (RelWithDebInfo, like the -O1/-O2 of continuous fuzzing services), so
# long runs go as `scripts/fuzz.sh 3600 build/fuzz`; the test command's short
# runs use its Debug build/asan. Only the fuzz targets are built.
# Each target starts from a work copy of its committed corpus, so new inputs
# never land in the repository. Prints "target | executions | exec/s |
# findings" per target and a total line; exits non-zero on any finding
# (crash-, leak-, timeout- or oom- file) or a target that did not run.
# VELMORA_FUZZ_TARGETS restricts the run to the named targets;
# VELMORA_FUZZ_PARALLEL runs that many targets at once (default 1);
# VELMORA_FUZZ_RUNS=N stops a target after N executions (the time still
# bounds it), e.g. VELMORA_FUZZ_RUNS=1000000 with a generous time.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
seconds="${1:-60}"
build="${2:-build/asan}"
parallel="${VELMORA_FUZZ_PARALLEL:-1}"
rss_mb="${VELMORA_FUZZ_RSS_MB:-2048}"
runs="${VELMORA_FUZZ_RUNS:--1}"

mapfile -t all < <(grep -oE 'velmora_add_fuzzer\([a-z_]+' fuzz/CMakeLists.txt | cut -d'(' -f2)
if [[ -n "${VELMORA_FUZZ_TARGETS:-}" ]]; then
  read -r -a targets <<<"$VELMORA_FUZZ_TARGETS"
else
  targets=("${all[@]}")
fi

if [[ ! -f "$build/build.ninja" ]]; then
  mkdir -p "$(dirname "$build")"
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  if ! CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_WERROR=ON -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_BUILD_GUI=OFF \
    -DVELMORA_BUILD_BENCHMARKS=OFF "${launcher[@]}" >"$build.fuzz-configure.log" 2>&1; then
    cat "$build.fuzz-configure.log"
    echo "fuzz: configure failed"
    exit 1
  fi
fi
if ! nice -n 19 ninja -C "$build" "${targets[@]}"; then
  echo "fuzz: build failed"
  exit 1
fi

work="$build/fuzz/runs"
# The longest input worth trying: room for a whole file of the kind, little
# more, since every byte past it only slows the run down.
max_len_of() {  # target
  case "$1" in
    calibration_fuzzer) echo 9000 ;;  # a whole calibration file of every section
    coe_fuzzer) echo 5000 ;;          # a coefficient file with both grids
    ecu_answer_fuzzer) echo 600 ;;    # one ECU answer (a length byte bounds it)
    *) echo 4096 ;;
  esac
}
run_one() {  # target
  local t=$1 dir="$work/$1"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/findings"
  # The corpus folder is the target's name without "_fuzzer".
  if ! cp -r "fuzz/corpus/${t%_fuzzer}/." "$dir/corpus/"; then
    echo "fuzz: $t has no corpus folder fuzz/corpus/${t%_fuzzer}" >"$dir/log"
    echo 1 >"$dir/rc"
    return
  fi
  local start end
  start=$(date +%s)
  nice -n 19 "$build/fuzz/$t" -max_total_time="$seconds" -runs="$runs" -rss_limit_mb="$rss_mb" \
    -max_len="$(max_len_of "$t")" -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" >"$dir/log" 2>&1
  echo $? >"$dir/rc"
  end=$(date +%s)
  echo $((end - start)) >"$dir/elapsed"
}

running=0
for t in "${targets[@]}"; do
  echo "== fuzz $t (${seconds}s)"
  run_one "$t" &
  running=$((running + 1))
  if ((running >= parallel)); then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
total_exec=0
total_findings=0
printf '%-22s | %12s | %8s | %s\n' target executions exec/s findings
for t in "${targets[@]}"; do
  dir="$work/$t"
  execs=$(grep -oE 'stat::number_of_executed_units: +[0-9]+' "$dir/log" | grep -oE '[0-9]+$' | tail -1)
  if [[ -z "$execs" ]]; then  # a run cut short by a finding prints no final stats
    execs=$(grep -oE '^#[0-9]+' "$dir/log" | tr -d '#' | tail -1)
  fi
  execs=${execs:-0}
  rate=$(grep -oE 'stat::average_exec_per_sec: +[0-9]+' "$dir/log" | grep -oE '[0-9]+$' | tail -1)
  if [[ -z "$rate" ]]; then
    elapsed=$(cat "$dir/elapsed" 2>/dev/null || echo 1)
    rate=$((execs / (elapsed > 0 ? elapsed : 1)))
  fi
  findings=$(find "$dir/findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  rc=$(cat "$dir/rc" 2>/dev/null || echo 1)
  if [[ "$rc" != 0 && "$findings" == 0 ]]; then
    findings=1  # stopped without leaving an input: still a fault
    echo "fuzz: $t ended with status $rc, see $dir/log"
  fi
  printf '%-22s | %12s | %8s | %s\n' "$t" "$execs" "$rate" "$findings"
  find "$dir/findings" -type f -printf '    %p\n'
  total_exec=$((total_exec + execs))
  total_findings=$((total_findings + findings))
done
printf '%-22s | %12s | %8s | %s\n' "total (${#targets[@]} targets)" "$total_exec" "" "$total_findings"
if ((total_findings > 0)); then
  status=1
fi
exit $status
