# Orca for the screen-reader scenario: started as a user starts it, and what
# it says read from its debug log. Sourced after lib.sh.

ORCA_LOG="$E2E_TMP/orca.log"
ORCA_PID=""
ORCA_TIMEOUT_S=60 # generous: Orca answers in tenths of a second
PRESS_MARK=0

stop_orca() {
  if [ -n "$ORCA_PID" ]; then
    kill "$ORCA_PID" 2>/dev/null || true
    wait "$ORCA_PID" 2>/dev/null || true
  fi
  ORCA_PID=""
}
# Orca ends before the X server and the program (lib.sh's cleanup), keeping
# the test's status.
trap 'orca_status=$?; stop_orca; set +e; (exit "$orca_status"); e2e_cleanup' EXIT

# said_since N: what Orca has said after line N of its log, one utterance a line.
said_since() {
  tail -n +"$(($1 + 1))" "$ORCA_LOG" | tr -d '\r' |
    sed -n "s/^.* - SPEECH OUTPUT: '\(.*\)' *\[*{'established.*\$/\1/p"
}

log_lines() { wc -l <"$ORCA_LOG"; }

# heard_since N PATTERN DESCRIPTION: waits until Orca says a line matching
# PATTERN (grep -E) after line N of its log.
heard_since() {
  local deadline=$(( $(now_ms) + ORCA_TIMEOUT_S * 1000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    said_since "$1" | grep -E -- "$2" >/dev/null && return 0
    kill -0 "$ORCA_PID" 2>/dev/null || fail "Orca ended"
    sleep 0.1
  done
  echo "Orca said:"; said_since "$1" | sed 's/^/  /'
  fail "not heard: $3 ('$2')"
}

# heard PATTERN DESCRIPTION: ... anywhere since the last press.
heard() { heard_since "$PRESS_MARK" "$1" "$2"; log "heard: $2"; }

# press KEY PATTERN DESCRIPTION: presses KEY and waits until Orca says it.
press() {
  PRESS_MARK="$(log_lines)"
  xdotool key "$1"
  heard_since "$PRESS_MARK" "$2" "$3"
  log "$1: $3"
}

# start_orca: Orca on the session's accessibility bus; returns once it has
# said that it is on.
start_orca() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 || fail "no accessibility bus (at-spi2-core)"
  : >"$ORCA_LOG"
  script -qfc "orca --replace --debug-file=/dev/tty" "$ORCA_LOG" </dev/null >/dev/null 2>&1 &
  ORCA_PID=$!
  heard_since 0 "^Screen reader on" "Orca starting"
  log "Orca started"
}
