#!/bin/sh
# Runs a test in a D-Bus session of its own with the desktop's accessibility bus up, as a screen
# reader's session has it, so that the program's accessibility bridge switches on.
# Usage: with-atspi.sh <test> [arguments...]   (inside an X server, e.g. under xvfb-run)
if [ -z "$DBUS_SESSION_BUS_ADDRESS" ] || [ -z "$TORNEVI_ATSPI_SESSION" ]; then
    TORNEVI_ATSPI_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
# Asking for the bus's address starts its launcher.
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress >/dev/null || exit 1
exec "$@"
