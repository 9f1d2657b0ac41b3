#!/bin/sh
# Runs a test on the X server that xvfb-run started, under a real window manager (openbox),
# and takes the window manager down with it.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager is up once it has claimed the root window.
i=0
while [ $i -lt 100 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    sleep 0.05
    i=$((i + 1))
done
"$@"
rc=$?
kill $wm 2>/dev/null
wait $wm 2>/dev/null
exit $rc
