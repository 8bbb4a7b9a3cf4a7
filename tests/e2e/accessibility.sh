#!/usr/bin/env bash
# The window as a screen reader sees it over AT-SPI: a private D-Bus session
# with its accessibility bus, the program with Qt's accessibility always on,
# and atspi_tree.py (Debian's python3 with pyatspi) checking the tree.
if [ -z "${E2E_IN_DBUS_SESSION:-}" ]; then
  E2E_IN_DBUS_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

start_x
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The accessibility bus up first, so that the program finds it at its start.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null 2>&1 || fail "no accessibility bus (at-spi2-core)"
start_app
/usr/bin/python3 "$(dirname "$0")/atspi_tree.py" >"$E2E_TMP/atspi.log" 2>&1 || {
  cat "$E2E_TMP/atspi.log"
  fail "the accessible tree is not as expected"
}
log "$(tail -n 1 "$E2E_TMP/atspi.log")"
pass
