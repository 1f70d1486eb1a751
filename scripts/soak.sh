#!/usr/bin/env bash
# Soak: the session's live poll with the logger recording against the
# virtual ECU for MINUTES (default 60), with faults injected now and then:
# the ECU restarted with a fault on its answers for a few seconds (dropped,
# truncated, wrong check byte, late, garbage), the serial device removed for
# a while, and once, near the end, the link server killed (the session then
# ends, and a new recording starts). Samples the recorder's
# resident memory and its record rate every few seconds and prints the
# figures. Fails on a crash, on memory growing 5 % or more after the first
# minute, or on a record rate that does not come back after a fault.
#
#   scripts/soak.sh [MINUTES]      VELMORA_STAGE=<stage folder> to choose the build
#
# A fault counts as recovered once the record rate is back to 60 % of the
# rate just before it within 60 s of its end.
set -uo pipefail

minutes=${1:-60}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
stage="${VELMORA_STAGE:-$here/build/dev/stage}"
duration=$((minutes * 60))
sample_every=5        # seconds between samples
recover_within=60     # seconds a fault's end has for the rate to come back
recovered_share=60    # per cent of the rate just before the fault that counts as back
port=1
RANDOM=${SOAK_SEED:-4242}

work="$(mktemp -d /tmp/velmora-soak-XXXXXX)"
sim_pid=""
rec_pid=""
cleanup() {
  [[ -n "$rec_pid" ]] && kill -TERM "$rec_pid" 2>/dev/null && wait "$rec_pid" 2>/dev/null
  [[ -n "$sim_pid" ]] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# An installation of its own, so no other link server or test is disturbed.
mkdir -p "$work/bin" "$work/Data"
cp "$stage/bin/LinkSrv" "$stage/bin/velmora-cli" "$stage/bin/SetCom.ini" "$work/bin/" || exit 1
cp -r "$stage/lng" "$work/" 2>/dev/null

start_sim() {  # fault options...
  "$stage/bin/velmora-ecusim" --root "$work" --port "$port" "$@" >"$work/sim.out" 2>>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/sim.out" ]] && return 0
    sleep 0.1
  done
  echo "soak: the virtual ECU did not start"
  return 1
}

stop_sim() {
  [[ -n "$sim_pid" ]] || return 0
  kill -KILL "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

recordings=0
start_recorder() {  # seconds
  recordings=$((recordings + 1))
  "$work/bin/velmora-cli" --root "$work" --port "$port" log --seconds "$1" --keep-going \
    --out "$work/Data/soak-$recordings.vfl" >"$work/rec-$recordings.out" 2>"$work/rec-$recordings.err" &
  rec_pid=$!
}

# "SECONDS RECORDS" of the current recording's last progress line.
progress_now() {
  local line
  line=$(grep -E '^recording [0-9]+ s: [0-9]+ records' "$work/rec-$recordings.err" 2>/dev/null |
    tail -1 | sed -E 's/^recording ([0-9]+) s: ([0-9]+) records/\1 \2/')
  echo "${line:-0 0}"
}

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }

failures=()
fail() { failures+=("$1"); echo "soak: $1"; }

start_sim || exit 1
start_recorder "$duration"
t0=$SECONDS
elapsed() { echo $((SECONDS - t0)); }

last_records=0
last_at=0
rate=0             # tenths of a record a second over the last sample
rate_before=0      # the rate of the last sample before the running fault
rate_sum=0         # before the first fault, once connected
rate_samples=0
mem_1min=""
mem_end=0
faults=0
recoveries=0
kills=0
fault_until=-1     # when the running fault ends (-1: none)
fault_name=""
waiting_since=-1   # a fault has ended and its recovery is awaited
rate_after_sum=0
rate_after_samples=0
next_fault=$((duration < 600 ? 25 : 90))
kill_at=$((duration * 85 / 100))
fault_kinds=("--drop-every 7" "--truncate-every 7" "--bad-xor-every 7" "--garbage-every 7"
  "--delay-every 7 --delay-ms 700" "device-removed")

sample() {
  local now at records
  now=$(elapsed)
  read -r at records < <(progress_now)
  # The recording's own clock: the sampling loop may be late on a busy machine.
  if ((at > last_at)); then
    rate=$(((records - last_records) * 10 / (at - last_at)))
    last_records=$records
    last_at=$at
  fi
  local kb
  kb=$(rss_kb "$rec_pid")
  if ((kills == 0 && kb > 0)); then
    [[ -z "$mem_1min" ]] && ((now >= 60)) && mem_1min=$kb
    mem_end=$kb
  fi
}

begin_fault() {
  local kind=${fault_kinds[$((RANDOM % ${#fault_kinds[@]}))]}
  faults=$((faults + 1))
  fault_name=$kind
  rate_before=$rate
  stop_sim
  if [[ "$kind" != device-removed ]]; then
    # shellcheck disable=SC2086
    start_sim $kind || fail "the virtual ECU did not start for $kind"
  fi
  fault_until=$(($(elapsed) + 5 + RANDOM % 6))
}

end_fault() {
  stop_sim
  start_sim || fail "the virtual ECU did not start again"
  fault_until=-1
  waiting_since=$(elapsed)
}

while (($(elapsed) < duration)); do
  sleep "$sample_every"
  if ! kill -0 "$rec_pid" 2>/dev/null; then
    wait "$rec_pid"
    code=$?
    if ((code >= 128)); then
      fail "the recorder ended by signal $((code - 128)) at $(elapsed) s"
    fi
    break
  fi
  sample
  now=$(elapsed)
  if ((faults == 0 && now >= 10 && rate > 0)); then
    rate_sum=$((rate_sum + rate))
    rate_samples=$((rate_samples + 1))
  fi
  if ((waiting_since >= 0)); then
    # Measured against the rate just before the fault: other work on the
    # machine moves the rate more than any fault should leave behind.
    if ((rate > 0 && rate * 100 >= rate_before * recovered_share)); then
      recoveries=$((recoveries + 1))
      rate_after_sum=$((rate_after_sum + rate))
      rate_after_samples=$((rate_after_samples + 1))
      waiting_since=-1
    elif ((now - waiting_since > recover_within)); then
      fail "no recovery within ${recover_within} s after $fault_name (rate $rate/10 a second)"
      waiting_since=-1
    fi
  fi
  if ((fault_until >= 0 && now >= fault_until)); then
    end_fault
  elif ((fault_until < 0 && waiting_since < 0 && kills == 0 && now >= kill_at)); then
    # The link server killed: the session ends (Error 008) and keeps what
    # it recorded; a new recording must find the ECU and poll again.
    link_pid=""
    for p in $(pgrep -x LinkSrv); do  # this installation's own link server
      [[ "$(readlink "/proc/$p/exe")" == "$work/bin/LinkSrv" ]] && link_pid=$p
    done
    if [[ -n "$link_pid" ]]; then
      kill -KILL "$link_pid"
      kills=1
      faults=$((faults + 1))
      fault_name="link server killed"
      rate_before=$rate
      wait "$rec_pid"
      code=$?
      # Error 008 when the next request finds it gone, 007 when it dies
      # while the tool waits for its reply.
      grep -Eq "Error 00[78] - " "$work/rec-$recordings.err" ||
        fail "the killed link server gave neither Error 007 nor Error 008"
      ((code == 1)) || fail "the recorder ended with $code after the link server was killed"
      [[ -s "$work/Data/soak-$recordings.vfl" ]] || fail "the recording was not kept"
      start_recorder $((duration - $(elapsed) + 5))
      last_records=0
      last_at=0
      waiting_since=$(elapsed)
    fi
  elif ((fault_until < 0 && waiting_since < 0 && now >= next_fault && now < kill_at - 30)); then
    begin_fault
    next_fault=$((now + 20 + RANDOM % 30))
  fi
done

if ((waiting_since >= 0)); then
  fail "no recovery after $fault_name before the end"
fi
if kill -0 "$rec_pid" 2>/dev/null; then
  kill -TERM "$rec_pid"
fi
wait "$rec_pid" 2>/dev/null
code=$?
((code >= 128 && code != 143)) && fail "the recorder ended by signal $((code - 128))"
rec_pid=""
polls=0
for f in "$work"/rec-*.out; do
  n=$(sed -nE 's/^records: ([0-9]+) in.*/\1/p' "$f")
  polls=$((polls + ${n:-0}))
done

growth="n/a"
if [[ -n "$mem_1min" && "$mem_1min" -gt 0 ]]; then
  growth_tenths=$(((mem_end - mem_1min) * 1000 / mem_1min))
  growth=$(printf '%d.%d' $((growth_tenths / 10)) $((growth_tenths < 0 ? -growth_tenths % 10 : growth_tenths % 10)))
  ((growth_tenths >= 50)) && fail "resident memory grew ${growth} % after the first minute"
fi
before=$((rate_samples > 0 ? rate_sum / rate_samples : 0))
after=$((rate_after_samples > 0 ? rate_after_sum / rate_after_samples : 0))
echo "duration: $(elapsed) s"
echo "polls: $polls (records written, $recordings recordings)"
echo "faults injected: $faults (link server killed: $kills)"
echo "recoveries: $recoveries"
echo "memory: ${mem_1min:-?} kB at 1 min, $mem_end kB at the end, growth ${growth} %"
echo "poll rate: $((before / 10)).$((before % 10)) per second before the faults," \
  "$((after / 10)).$((after % 10)) after them"
if ((recoveries < faults)); then
  fail "$((faults - recoveries)) faults without a recovery"
fi
if ((${#failures[@]} > 0)); then
  echo "soak: FAILED (${#failures[@]})"
  exit 1
fi
echo "soak: passed"
