#!/usr/bin/env bash
# The view and store benchmarks, each figure a ratio against its floor in the same run
# (bench/README.md keeps the latest table). Start-up is timed by bench/startup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_Views bench_StoreScale
build=$PWD/build/bench
/usr/bin/python3 bench/make_scaled_db.py "$build/scaled" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/bench_Views" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
TORNEVI_BENCH_DB_DIR=$build/scaled "$build/bench/bench_StoreScale" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
