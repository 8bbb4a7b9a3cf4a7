#!/usr/bin/env bash
# The program as a blind user meets it with the Orca screen reader, driven by
# keys alone. Orca runs as a user starts it, in a private D-Bus session with
# its accessibility bus, its debug output going to a terminal (script(1)), so
# that each line reaches the log as soon as it is written; speech-dispatcher
# speaks through espeak-ng into a null sound device, so it can never wait for
# a sound card. What Orca says is read from its "SPEECH OUTPUT" lines.
if [ -z "${E2E_ORCA_HOME:-}" ]; then
  # A home, runtime and settings of its own, before the session starts, so
  # that the accessibility bus and speech-dispatcher live in them too.
  E2E_ORCA_HOME="$(mktemp -d "${TMPDIR:-/tmp}/e2e-orca-home.XXXXXX")"
  export E2E_ORCA_HOME HOME="$E2E_ORCA_HOME" XDG_RUNTIME_DIR="$E2E_ORCA_HOME/run"
  export XDG_CONFIG_HOME="$E2E_ORCA_HOME/config" XDG_DATA_HOME="$E2E_ORCA_HOME/data"
  export XDG_CACHE_HOME="$E2E_ORCA_HOME/cache" GSETTINGS_BACKEND=memory LANG=C.UTF-8
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
  ln -s /etc/speech-dispatcher/modules "$XDG_CONFIG_HOME/speech-dispatcher/modules"
  ln -s /etc/speech-dispatcher/clients "$XDG_CONFIG_HOME/speech-dispatcher/clients"
  cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<CONF
AudioOutputMethod "alsa"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
LogDir "$E2E_ORCA_HOME"
CONF
  dbus-run-session -- bash "$0" "$@"
  status=$?
  # speech-dispatcher leaves when its last client has gone; the one started
  # here, should it still run, ends now.
  pidfile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
  [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  rm -rf "$E2E_ORCA_HOME"
  exit "$status"
fi
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/orca_lib.sh"

start_x "$LONG_RUN_SCREEN"
start_wm
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_orca
start_app
heard "Vergrößerungen und Farbanimationen an der Mandelbrotmenge frame" "the window as a frame"
heard "Vergrößerungen zeichnen push button" "the first control"

# A run by the focused draw button: its new caption, then the news of the run.
press space "^notification Abbruch" "the draw button's caption"
heard "Vergrößerungen werden gezeichnet" "the start of a run"
heard "Sechs Bilder fertig: Faktoren 10, 100, 1000, 10000, 100000, 1000000 um x1 = -1,41, y1 = 0" \
  "the end of the run with the thumbnails' factors and the target"

# The table: entered, its size, the cell with its row header; the editor.
press Tab "^Bild 1\.$" "the current cell's row header on entering the table"
said_since "$PRESS_MARK" | grep "^table with 6 rows" >/dev/null || fail "the table's size is not six rows"
said_since "$PRESS_MARK" | grep -A1 "^Bild 1\.$" | grep "^10\.$" >/dev/null || fail "the cell after its header"
press F2 "Bild 1, Faktor" "the editor named after its cell"
press Escape "Bild 1, 10" "the cell on leaving its editor"
press Tab "^Bild 2\.$" "the next cell's row"
# Where am I (Orca's KP_Enter): the cell, its headers and its place.
press KP_Enter "row 2 of 6" "where am I in the table"
said_since "$PRESS_MARK" | grep "^Bild 2\.$" >/dev/null || fail "where am I without the row header"
said_since "$PRESS_MARK" | grep "^100\.$" >/dev/null || fail "where am I without the cell"
press ctrl+shift+Tab "Vergrößerungen zeichnen push button" "Ctrl+Shift+Tab out of the table"
press Tab "^Bild 2\.$" "the cell on entering the table again (Tab)"
press ctrl+Tab "^x1 text" "Ctrl+Tab out of the table"
press shift+Tab "^Bild 2\.$" "the cell on entering the table again (Shift+Tab)"

# The fields speak their whole values; the palettes their group once.
press ctrl+Tab "^-1,41 selected" "x1's whole value"
press Tab "^0 selected" "y1's whole value"
press Tab "1 von 4" "the first palette's place"
[ "$(said_since "$PRESS_MARK" | grep -c "Farbgebung")" = 1 ] || fail "\"Farbgebung\" not said once on entering the palettes"
press Right "2 von 4" "the next palette's place"
[ "$(said_since "$PRESS_MARK" | grep -c "Farbgebung")" = 0 ] || fail "\"Farbgebung\" said again on choosing a palette"
heard "Sechs Bilder fertig" "the end of the run that the palette choice started"
press Tab "^Farbanimation push button" "the animation button"

# The animation button's caption as a click changes it.
press space "^notification Anhalten" "the new caption \"Anhalten\""
press space "^notification Farbanimation" "the caption \"Farbanimation\" again"

# An abort: a run that lasts, stopped by Enter.
set_target "$LONG_RUN_RE" "$LONG_RUN_IM"
set_factors "$LONG_RUN_FACTOR"
maximise_and_wait
press ctrl+shift+Tab "Vergrößerungen zeichnen push button" "the draw button"
# While a run computes, the program answers Orca only in its event handling
# twice a second, and Orca asks many questions before it speaks, even before
# it echoes a key (once 26 s late): the run is stopped as soon as it
# computes, without waiting for Orca, and what was said of it is heard after.
RUN_MARK="$(log_lines)"
PRESS_MARK="$RUN_MARK"
xdotool key space
log "space: the key that starts a long run"
computing=""
for _ in $(seq 1 50); do
  c1="$(cpu_ticks)"; sleep 0.2; c2="$(cpu_ticks)"
  if [ $((c2 - c1)) -gt 5 ]; then computing=1; break; fi
done
[ -n "$computing" ] || fail "no run computing after the key that starts it"
xdotool key space
log "space: the key that stops it"
heard "^notification Abgebrochen (nach|vor) Bild [1-6]" "the abort of the run"
said_since "$RUN_MARK" | grep "Vergrößerungen werden gezeichnet" >/dev/null ||
  fail "the start of the long run was not heard"
said_since "$RUN_MARK" | grep "fertig" >/dev/null && fail "an aborted run said \"fertig\""
log "heard the start of the long run"
pass
