#!/usr/bin/env bash
# Where the start-up's cost goes, step by step, for the program and the floor window
# (bench/floor_window.cpp), in the environment bench/startup.sh times them in. Prints:
# - callgrind's instructions of each step, cut where both programs enter the same functions:
#   before main; the application object (with the fonts it registers); the windows'
#   construction (from the first QMainWindow constructor); the store's start-up steps (the
#   program's FormShow, the floor's readPoems up to the next QFrame::setFrameStyle); show and
#   layout (from the top-level window's platform data); the first paint (from the first
#   paintAndFlush); the end (from aboutToQuit). The font database's population (from FcInit
#   to the end of populateFontDatabase), wherever it falls, is counted apart;
# - the page faults, peak RSS and processor time the probe reads with getrusage when it is
#   loaded, when the main window gets its show event, at the first paint of its client area,
#   and at the end (median of STEPS_RUNS runs, default 11);
# - perf stat's page faults of the whole run (median of the same number of runs), when perf works.
# Needs valgrind; the builds are the bench preset's.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target Tornevi floor_window messageprobe >/dev/null
build=$PWD/build/bench
script=$PWD/bench/startup_steps.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$build/tests/plugins QT_QPA_GENERIC_PLUGINS=messageprobe \
       TORNEVI_PROBE_ACTION=exit-on-paint
runs=${STEPS_RUNS:-11}

for prog in floor:"$build/bench/floor_window" tornevi:"$build/app/Tornevi"; do
    name=${prog%%:*} exe=${prog#*:}
    rm -f Tornevi.db
    TORNEVI_PROBE_LOG=/dev/null valgrind --tool=callgrind --callgrind-out-file="$name.cg" \
        --dump-before=main --dump-before='QMainWindow::QMainWindow*' \
        --dump-before=FcInit --dump-after='QFontconfigDatabase::populateFontDatabase()' \
        --dump-before='QWidgetPrivate::createTLSysExtra()' \
        --dump-before='TForm1::FormShow()' --dump-after='TForm1::FormShow()' \
        --dump-before='*readPoems*' --dump-before='QFrame::setFrameStyle(int)' \
        --dump-before='QWidgetRepaintManager::paintAndFlush()' \
        --dump-before='QCoreApplication::aboutToQuit*' "$exe" >/dev/null 2>"$name.cglog"
    for i in $(seq 1 "$runs"); do
        rm -f Tornevi.db
        TORNEVI_PROBE_RUSAGE=1 TORNEVI_PROBE_LOG="$name.usage.$i" "$exe" >/dev/null 2>&1
        rm -f Tornevi.db
        if perf stat -x, -e page-faults,minor-faults,major-faults -o "$name.perf.$i" "$exe" >/dev/null 2>&1; then :; else rm -f "$name.perf.$i"; fi
    done
done
python3 "$script" "$work" "$runs"
