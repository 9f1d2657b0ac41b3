#!/usr/bin/env bash
# Start-up to the first painted frame of the main window, against a floor window of the same
# shape (bench/floor_window.cpp). The probe plugin ends both runs right after that frame.
# Prints hyperfine's wall times, callgrind's whole-run instruction counts and the peak resident
# memory (GNU time's %M, the median of STARTUP_RSS_RUNS runs each, default 21), with the ratios.
# Needs hyperfine and valgrind. STARTUP_RUNS (default 10) and STARTUP_ROUNDS (default 20) set how
# many timed runs of each program a round has and how many rounds there are; STARTUP_CPU (default
# the last one) is the processor both programs are pinned to.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target Tornevi floor_window messageprobe
build=$PWD/build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$build/tests/plugins QT_QPA_GENERIC_PLUGINS=messageprobe \
       TORNEVI_PROBE_ACTION=exit-on-paint TORNEVI_PROBE_LOG=/dev/null

# A shared machine's speed drifts from minute to minute, and on a virtual machine by a third
# within seconds, so the two programs are timed in many short alternating rounds (a second or
# two each), the ratio is taken within each round, and the median of the rounds is reported.
# Every run starts as a user's start does, with no working copy in the folder: the probe ends
# the program without the exit question, so the copy it wrote would otherwise be found by the
# next run and checked byte for byte before it is replaced, as a killed run's leftover is.
# Both run on one processor: on a virtual machine the first one also takes the host's interrupts,
# and a program that lands there now and then takes a quarter longer.
cpu=${STARTUP_CPU:-$(($(nproc) - 1))}
rounds=${STARTUP_ROUNDS:-20}
for round in $(seq 1 "$rounds"); do
    taskset -c "$cpu" hyperfine -N -w 1 -r "${STARTUP_RUNS:-10}" --prepare "rm -f Tornevi.db" --export-json "times$round.json" \
        "$build/bench/floor_window" "$build/app/Tornevi" >/dev/null
done
python3 - "$rounds" <<'EOF'
import json, statistics, sys
ratios = []
for i in range(1, int(sys.argv[1]) + 1):
    r = json.load(open(f"times{i}.json"))["results"]
    floor, prog = (statistics.median(x["times"]) for x in r)
    ratios.append(prog / floor)
    print(f"round {i}: median wall floor {floor*1e3:.2f} ms, Tornevi {prog*1e3:.2f} ms, ratio {prog/floor:.3f}")
print(f"median of the rounds' wall ratios: {statistics.median(ratios):.3f}")
EOF

irs() { rm -f Tornevi.db; valgrind --tool=callgrind --callgrind-out-file=cg.out "$@" >/dev/null 2>cg.log; sed -n 's/^summary: //p' cg.out; }
floor_ir=$(irs "$build/bench/floor_window")
prog_ir=$(irs "$build/app/Tornevi")
echo "whole-run Ir: floor $floor_ir, Tornevi $prog_ir, ratio $(python3 -c "print(f'{$prog_ir/$floor_ir:.3f}')")"

# Peak resident memory, the two programs alternating; the median of each one's runs.
for i in $(seq 1 "${STARTUP_RSS_RUNS:-21}"); do
    for prog in floor:"$build/bench/floor_window" tornevi:"$build/app/Tornevi"; do
        rm -f Tornevi.db
        /usr/bin/time -a -o "rss.${prog%%:*}" -f %M "${prog#*:}" >/dev/null 2>&1
    done
done
python3 - <<'EOF'
import statistics
floor, prog = (statistics.median(int(x) for x in open(f"rss.{n}")) for n in ("floor", "tornevi"))
print(f"peak RSS (median): floor {floor:.0f} KiB, Tornevi {prog:.0f} KiB, ratio {prog/floor:.3f}")
EOF
