#!/usr/bin/env bash
# Start-up to the first painted frame of the main window, against a floor window of the same
# shape (bench/floor_window.cpp). The probe plugin ends both runs right after that frame.
# Prints hyperfine's wall times and callgrind's whole-run instruction counts, with the ratios.
# Needs hyperfine and valgrind. STARTUP_RUNS overrides the number of timed runs (default 40).
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

hyperfine -N -w 3 -r "${STARTUP_RUNS:-40}" --export-json times.json "$build/bench/floor_window" "$build/app/Tornevi"
python3 - <<'EOF'
import json
r = json.load(open("times.json"))["results"]
floor, prog = (sorted(x["times"])[len(x["times"]) // 2] for x in r)
print(f"median wall: floor {floor*1e3:.2f} ms, Tornevi {prog*1e3:.2f} ms, ratio {prog/floor:.3f}")
EOF

irs() { valgrind --tool=callgrind --callgrind-out-file=cg.out "$@" >/dev/null 2>cg.log; sed -n 's/^summary: //p' cg.out; }
floor_ir=$(irs "$build/bench/floor_window")
prog_ir=$(irs "$build/app/Tornevi")
echo "whole-run Ir: floor $floor_ir, Tornevi $prog_ir, ratio $(python3 -c "print(f'{$prog_ir/$floor_ir:.3f}')")"
