#!/usr/bin/env bash
# Start-up to first shown window and out again, against a bare Qt window as the floor.
# Needs hyperfine; the probe plugin ends each run once the main window is up.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target Tornevi floor_window messageprobe bench_PoemQuery
build=$PWD/build/bench
work=$(mktemp -d)
cd "$work"
export QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$build/tests/plugins QT_QPA_GENERIC_PLUGINS=messageprobe \
       TORNEVI_PROBE_ACTION=exit TORNEVI_PROBE_LOG=/dev/null
hyperfine -N -w 3 -r 30 "$build/bench/floor_window" "$build/app/Tornevi"
"$build/bench/bench_PoemQuery" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
rm -rf "$work"
