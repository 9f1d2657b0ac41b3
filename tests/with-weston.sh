#!/bin/sh
# Runs a test as a native Wayland client of a headless weston started for it, and stops weston
# afterwards. Weston's headless back end offers no seat, and Qt 6.4's text input then trips over
# the missing input device when a text box paints its caret: input methods stay off.
runtime=$(mktemp -d)
chmod 700 "$runtime"
socket="tornevi-$$"
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    >"$runtime/weston.log" 2>&1 &
compositor=$!
i=0
while [ $i -lt 100 ] && [ ! -S "$runtime/$socket" ]; do
    sleep 0.05
    i=$((i + 1))
done
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland QT_IM_MODULE=none "$@"
rc=$?
kill $compositor 2>/dev/null
wait $compositor 2>/dev/null
rm -rf "$runtime"
exit $rc
