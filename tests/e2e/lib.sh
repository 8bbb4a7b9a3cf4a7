# Shared steps of the end-to-end tests: an X server of their own, the program
# started in it, its window, screenshots, mouse and keyboard, and waiting for
# a run of the zoom series to end. Sourced by the scenario scripts, which are
# called as
#
#   SCENARIO.sh PROGRAM REFERENCE_TOOL WM_DELETE_TOOL SHOT_DIR
#
# On failure the screenshots taken so far and the program's output are kept
# in SHOT_DIR; on success SHOT_DIR is removed.

set -euo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 PROGRAM REFERENCE_TOOL WM_DELETE_TOOL SHOT_DIR" >&2
  exit 2
fi
E2E_APP="$1"
E2E_REFERENCE="$2"
E2E_WM_DELETE="$3"
E2E_SHOTS="$4"
E2E_NAME="$(basename "$0" .sh)"
E2E_CAPTION="Vergrößerungen und Farbanimationen an der Mandelbrotmenge"

E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/e2e-${E2E_NAME}.XXXXXX")"
E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_APP_STATUS=""
WIN=""
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
E2E_T0=$(now_ms)
# A scenario whose program runs slower (under an emulator) multiplies the
# waits for its start by this.
E2E_PATIENCE=1
rm -rf "$E2E_SHOTS"

# ---- window geometry (pixels inside the window's client area) -------------
PAINTBOX_X=16
PAINTBOX_Y=40
ZEICHNEN_GEOM="185x25+88+376"
BUTTON1_GEOM="139x25+206+704"
THUMBS_GEOM="761x753+361+0"   # all six thumbnails with the gaps between them
THUMB_W=380
THUMB_H=250
THUMB_X=(0 361 361 361 742 742 742)   # left of thumbnail 1 ... 6
THUMB_Y=(0 1 252 503 1 252 503)      # top of thumbnail 1 ... 6
NEUTRAL_X=60                         # a blank spot of the left panel
NEUTRAL_Y=530

log() { local t=$(( $(now_ms) - E2E_T0 )); printf '[%3d.%03ds] %s\n' $((t / 1000)) $((t % 1000)) "$*"; }

e2e_cleanup() {
  local status=$?
  if [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; then
    kill "$E2E_APP_PID" 2>/dev/null || true
    wait "$E2E_APP_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_WM_PID" ]; then
    kill "$E2E_WM_PID" 2>/dev/null || true
    wait "$E2E_WM_PID" 2>/dev/null || true
  fi
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ]; then
    mkdir -p "$E2E_SHOTS"
    cp "$E2E_TMP"/*.png "$E2E_TMP"/*.log "$E2E_SHOTS"/ 2>/dev/null || true
    [ -d "$E2E_TMP/ref" ] && cp -r "$E2E_TMP/ref" "$E2E_SHOTS"/ 2>/dev/null || true
    echo "FAIL ($E2E_NAME): screenshots, references and program output kept in $E2E_SHOTS"
  fi
  rm -rf "$E2E_TMP"
  exit "$status"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL ($E2E_NAME): $*"
  if [ -n "$WIN" ] && [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; then
    import -window "$WIN" "$E2E_TMP/at-failure.png" 2>/dev/null || true
  fi
  exit 1
}

# ---- X server and program --------------------------------------------------

# Starts Xvfb on a display that it picks itself and exports DISPLAY. Without
# -noreset the server resets when its last client leaves, and a program that
# connects during that reset fails to start.
# start_x [WIDTHxHEIGHT]: the screen size, 1280x1024 unless given.
start_x() {
  local dfile="$E2E_TMP/display"
  : >"$dfile"
  Xvfb -displayfd 9 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset 9>"$dfile" >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local n=""
  for _ in $(seq 1 100); do
    n="$(tr -d '\n' <"$dfile")"
    [ -n "$n" ] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
  done
  [ -n "$n" ] || fail "Xvfb reported no display"
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "display $DISPLAY does not answer"
}

# Starts openbox on the display and waits until it manages the screen.
E2E_WM_PID=""
start_wm() {
  openbox >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_WM_PID=$!
  for _ in $(seq 1 100); do
    wmctrl -m >/dev/null 2>&1 && return 0
    kill -0 "$E2E_WM_PID" 2>/dev/null || fail "openbox did not start"
    sleep 0.1
  done
  fail "openbox does not manage the screen"
}

# Starts the program, finds its window (WIN) and waits until the start-up
# defaults are shown and the window is still.
start_app() {
  unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
  "$E2E_APP" >"$E2E_TMP/program.log" 2>&1 &
  E2E_APP_PID=$!
  WIN=""
  for _ in $(seq 1 $((150 * E2E_PATIENCE))); do
    WIN="$(xdotool search --onlyvisible --name "^${E2E_CAPTION}\$" 2>/dev/null | head -n 1 || true)"
    [ -n "$WIN" ] && break
    kill -0 "$E2E_APP_PID" 2>/dev/null || fail "the program ended at start"
    sleep 0.1
  done
  [ -n "$WIN" ] || fail "no window captioned '$E2E_CAPTION' within $((15 * E2E_PATIENCE)) s"
  # The activation writes "-1,41" into Edit1: wait until it has text and the
  # window has stopped changing.
  local prev="" cur=""
  for _ in $(seq 1 $((100 * E2E_PATIENCE))); do
    shot_window "start-wait"
    cur="$(region_hash "$E2E_TMP/start-wait.png" "$(geom_window)")"
    if [ "$(dark_pixels "$E2E_TMP/start-wait.png" 60x14+44+444)" -gt 10 ] && [ "$cur" = "$prev" ]; then
      rm -f "$E2E_TMP/start-wait.png"
      log "program started, window $WIN"
      return 0
    fi
    prev="$cur"
    sleep 0.1
  done
  fail "the window did not settle with its start-up defaults"
}

geom_window() { echo "1124x754+0+0"; }

# stop_app: ends the program started by start_app.
stop_app() {
  if [ -n "$E2E_APP_PID" ]; then
    kill "$E2E_APP_PID" 2>/dev/null || true
    wait "$E2E_APP_PID" 2>/dev/null || true
  fi
  E2E_APP_PID=""
  WIN=""
}

# client_origin: "X Y", the screen position of the window's client area.
client_origin() {
  xwininfo -id "$WIN" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x, y}'
}

# wait_pixel X Y RGB TIMEOUT_S [NAME]: until the client area's pixel (X, Y)
# is RGB ("r,g,b"); the last screenshot stays in $E2E_TMP/NAME.png.
wait_pixel() {
  local name="${5:-pixel}" deadline=$(( $(now_ms) + $4 * 1000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    shot_window "$name"
    [ "$(pixel "$E2E_TMP/$name.png" "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}

# wait_region_change GEOM HASH TIMEOUT_S [NAME]: until a region of the client
# area differs from HASH (its digest before); the screenshot stays in
# $E2E_TMP/NAME.png.
wait_region_change() {
  local name="${4:-changed}" deadline=$(( $(now_ms) + $3 * 1000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    shot_window "$name"
    [ "$(region_hash "$E2E_TMP/$name.png" "$1")" != "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# window_size: "WIDTHxHEIGHT" of the window's client area.
window_size() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$WIN" | grep -E '^(WIDTH|HEIGHT)=')"
  echo "${WIDTH}x${HEIGHT}"
}

# wait_window_size WxH TIMEOUT_S: until the client area has that size.
wait_window_size() {
  local deadline=$(( $(now_ms) + $2 * 1000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    [ "$(window_size)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the window is $(window_size), not $1, after $2 s"
}

# use_layout_of_window: the thumbnail places for the window's present size,
# as the layout computes them (a = (W - 361) div 2, b = H div 3).
use_layout_of_window() {
  local size w h a b
  size="$(window_size)"; w="${size%x*}"; h="${size#*x}"
  a=$(( (w - 361) / 2 )); b=$(( h / 3 ))
  THUMB_W=$((a - 1)); THUMB_H=$((b - 1))
  THUMB_X=(0 361 361 361 $((361 + a)) $((361 + a)) $((361 + a)))
  THUMB_Y=(0 1 $((b + 1)) $((2 * b + 1)) 1 $((b + 1)) $((2 * b + 1)))
  THUMBS_GEOM="$((2 * a - 1))x$((3 * b - 1))+361+0"
}

# maximise / restore: through the window manager, as the title bar does.
maximise() { wmctrl -i -r "$WIN" -b add,maximized_vert,maximized_horz; }
restore() { wmctrl -i -r "$WIN" -b remove,maximized_vert,maximized_horz; }

# maximise_and_wait: maximises, waits until the window has its new size and
# takes the thumbnail places of that size.
maximise_and_wait() {
  maximise
  local deadline=$(( $(now_ms) + 10000 ))
  while [ "$(window_size)" = "1124x754" ] && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.1; done
  [ "$(window_size)" != "1124x754" ] || fail "the window was not maximised"
  sleep 0.5
  use_layout_of_window
  log "window maximised to $(window_size): thumbnails of ${THUMB_W}x${THUMB_H}"
}

# thumb_is_white IMAGE N: true when thumbnail N is white all over.
thumb_is_white() {
  convert -size "${THUMB_W}x${THUMB_H}" xc:white "$E2E_TMP/white.ppm"
  crop "$1" "${THUMB_W}x${THUMB_H}+${THUMB_X[$2]}+${THUMB_Y[$2]}" "$E2E_TMP/thumb-$2.png"
  [ "$(differing_pixels "$E2E_TMP/thumb-$2.png" "$E2E_TMP/white.ppm")" = 0 ]
}

# ---- screenshots ------------------------------------------------------------

# shot_window NAME [ppm]: the window's client area into $E2E_TMP/NAME.png, or
# NAME.ppm (uncompressed: half the cost, for polling).
shot_window() {
  import -window "$WIN" -depth 8 "$E2E_TMP/$1.${2:-png}" 2>/dev/null || fail "screenshot '$1' failed"
}

# shot_region NAME GEOM: one region of the client area into $E2E_TMP/NAME.png.
shot_region() {
  import -window "$WIN" -crop "$2" +repage "$E2E_TMP/$1.png" 2>/dev/null || fail "screenshot '$1' failed"
}

# crop IMAGE GEOM OUT
crop() { convert "$1" -crop "$2" +repage "$3"; }

# region_hash IMAGE GEOM: a digest of the pixels of one region.
region_hash() { convert "$1" -crop "$2" +repage rgb:- | md5sum | cut -c1-32; }

# pixel IMAGE X Y: "r,g,b" of one pixel.
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

# dark_pixels IMAGE GEOM: number of near-black pixels (text) in a region.
dark_pixels() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 30% -negate -format "%[fx:round(mean*w*h)]" info:
}

# differing_pixels A B: number of pixels in which two images of one size differ.
differing_pixels() {
  local n
  n="$(compare -metric AE "$1" "$2" null: 2>&1 || true)"
  echo "$n"
}

# The caption of "Zeichnen": the idle caption "Vergrößerungen zeichnen" fills
# the button nearly to its left edge, "Abbruch" stands in the middle only; so
# the idle caption is the one with text in the button's left 60 pixels.
# zeichnen_state IMAGE [GEOM]: "idle" or "running"; GEOM is where that part
# of the caption lies in IMAGE, for an image of less than the window.
ZEICHNEN_TEXT_GEOM=50x15+94+381
zeichnen_state() {
  if [ "$(dark_pixels "$1" "${2:-$ZEICHNEN_TEXT_GEOM}")" -gt 20 ]; then echo idle; else echo running; fi
}

# thumbs_equal_reference IMAGE PREFIX: compares thumbnail 1 ... 6 of a window
# screenshot with PREFIX-1.ppm ... PREFIX-6.ppm; reports every mismatch.
thumbs_equal_reference() {
  local image="$1" prefix="$2" n bad=0 d crops=()
  # All six crops in one pass, as binary PPM with the reference's header, so
  # that equal pixels are equal bytes; only a mismatch is counted in pixels.
  for n in 1 2 3 4 5 6; do
    crops+=(\( +clone -crop "${THUMB_W}x${THUMB_H}+${THUMB_X[$n]}+${THUMB_Y[$n]}" +repage
            -depth 8 -write "ppm:$E2E_TMP/thumb-$n.ppm" +delete \))
  done
  convert "$image" "${crops[@]}" null:
  for n in 1 2 3 4 5 6; do
    cmp -s "$E2E_TMP/thumb-$n.ppm" "$prefix-$n.ppm" && continue
    d="$(differing_pixels "$E2E_TMP/thumb-$n.ppm" "$prefix-$n.ppm")"
    if [ "$d" != "0" ]; then
      echo "  thumbnail $n differs from $(basename "$prefix")-$n.ppm in $d pixels"
      bad=1
    fi
  done
  return $bad
}

# ---- program state ----------------------------------------------------------

# CPU time of the program so far, in clock ticks (all its threads).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$E2E_APP_PID/stat"; }

app_alive() { kill -0 "$E2E_APP_PID" 2>/dev/null; }

# ---- input --------------------------------------------------------------------

# click X Y: a left click at window position (X, Y); the pointer then rests
# on a blank spot so that no button shows its hover look.
click() {
  xdotool mousemove --window "$WIN" "$1" "$2" click 1
  xdotool mousemove --window "$WIN" "$NEUTRAL_X" "$NEUTRAL_Y"
}

press_zeichnen() { click 180 388; }
press_button1() { click 275 716; }

# ---- runs ---------------------------------------------------------------------

# wait_run_end BEFORE_HASH TIMEOUT_S: after a request that starts a run, waits
# until it has ended. A run has been seen when the thumbnails differ from
# BEFORE_HASH (their digest before the request) or the button reads
# "Abbruch"; it has ended when, after that, the button shows its idle caption,
# the thumbnails have not changed over the last three looks and the program
# has not computed in between. Leaves the last screenshot in
# $E2E_TMP/run-end.png.
wait_run_end() {
  local before="$1" timeout="$2"
  local deadline seen=0 still=0 last="" cur state cpu lastcpu
  deadline=$(( $(now_ms) + timeout * 1000 ))
  lastcpu="$(cpu_ticks)"
  while [ "$(now_ms)" -lt "$deadline" ]; do
    app_alive || fail "the program ended during a run"
    shot_window poll ppm
    cur="$(region_hash "$E2E_TMP/poll.ppm" "$THUMBS_GEOM")"
    state="$(zeichnen_state "$E2E_TMP/poll.ppm")"
    cpu="$(cpu_ticks)"
    if [ "$cur" != "$before" ] || [ "$state" = running ]; then seen=1; fi
    [ -z "${E2E_DEBUG:-}" ] || log "poll: seen=$seen button=$state thumbs=${cur:0:8} cpu+$((cpu - lastcpu))"
    if [ "$seen" = 1 ] && [ "$state" = idle ] && [ "$cur" = "$last" ] && [ $((cpu - lastcpu)) -le 3 ]; then
      still=$((still + 1))
    else
      still=0
    fi
    if [ "$still" -ge 2 ]; then
      convert "$E2E_TMP/poll.ppm" "$E2E_TMP/run-end.png"
      log "run ended"
      return 0
    fi
    last="$cur"
    lastcpu="$cpu"
    sleep 0.1
  done
  [ "$seen" = 1 ] || fail "no run was seen within ${timeout} s (thumbnails unchanged, no \"Abbruch\")"
  fail "the run did not end within ${timeout} s"
}

# make_reference RE IM PALETTE...: the six expected images in $E2E_TMP/ref.
# The literal loop takes about a second per set; the scenarios share the sets
# they have in common through a cache next to SHOT_DIR, keyed by the tool and
# its arguments, filled under a lock by whichever scenario comes first.
make_reference() {
  local cache key
  cache="$(dirname "$E2E_SHOTS")/reference-cache"
  key="$( { md5sum <"$E2E_REFERENCE"; echo "$* ${E2E_REF_SIZE:-} ${E2E_REF_FACTORS:-}"; } | md5sum | cut -c1-32)"
  mkdir -p "$cache"
  (
    flock 9
    if [ ! -d "$cache/$key" ]; then
      rm -rf "$cache/$key.new"
      mkdir -p "$cache/$key.new"
      QT_QPA_PLATFORM=offscreen "$E2E_REFERENCE" "$cache/$key.new" "$@" || exit 1
      mv "$cache/$key.new" "$cache/$key"
    fi
  ) 9>"$cache/lock" || fail "the reference tool failed"
  mkdir -p "$E2E_TMP/ref"
  cp "$cache/$key"/* "$E2E_TMP/ref/"
}

pass() {
  log "PASS ($E2E_NAME)"
  exit 0
}

# set_target RE IM: types the target point into Edit1 and Edit2.
set_target() {
  xdotool mousemove --window "$WIN" 100 451 click 1 key ctrl+a type -- "$1"
  xdotool mousemove --window "$WIN" 100 483 click 1 key ctrl+a type -- "$2"
  xdotool mousemove --window "$WIN" "$NEUTRAL_X" "$NEUTRAL_Y"
  sleep 0.2
}

# set_factors TEXT: types TEXT into the six factor cells, as a user does.
set_factors() {
  local n
  xdotool mousemove --window "$WIN" 300 446 click 1   # the factor of "Bild 1"
  for n in 1 2 3 4 5 6; do xdotool type -- "$1"; xdotool key Tab; done
  xdotool mousemove --window "$WIN" "$NEUTRAL_X" "$NEUTRAL_Y"
  sleep 0.2
}

# A run that lasts seconds per image on any machine of today: a maximised
# window on a 3840 x 2160 screen (thumbnails of 1738 x 712), all six factors
# 1000000 over the seahorse valley, where nearly every point iterates for
# thousands of steps. An image takes about 8 s on the 2-core machine these
# tests were written on, so even a machine ten times faster handles events
# many times during every image.
LONG_RUN_SCREEN="3840x2160"
LONG_RUN_RE="-0,7436438870371587"
LONG_RUN_IM="0,1318259042053119"
LONG_RUN_FACTOR="1000000"

# start_long_run_window: X server, openbox, the program maximised, the
# target and factors of the long run typed in (not yet started).
start_long_run_window() {
  start_x "$LONG_RUN_SCREEN"
  start_wm
  start_app
  set_target "$LONG_RUN_RE" "$LONG_RUN_IM"
  set_factors "$LONG_RUN_FACTOR"
  maximise_and_wait
}
