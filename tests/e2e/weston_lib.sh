# Shared steps of the scenarios under weston, Qt's native Wayland platform:
# weston nested in an X server of its own (x11 backend, driven and looked at
# through that server) or headless (no input device, screenshots with
# weston-screenshooter). Sourced after lib.sh; replaces its window, screenshot
# and click helpers so that the rest of lib.sh works unchanged.

E2E_WESTON_PID=""
WESTON_HEADLESS=""
# The window's client area on the screen: CLIENT_X, CLIENT_Y, CLIENT_W, CLIENT_H.
CLIENT_X=0
CLIENT_Y=0
CLIENT_W=0
CLIENT_H=0
# Qt's own window decoration (the title bar) around the client area.
DECO_LEFT=3
DECO_TOP=30
DECO_RIGHT=3
DECO_BOTTOM=3

# Stops the program and weston before lib.sh's own clean-up, which keeps the
# screenshots and logs of a failure.
weston_exit() {
  local status=$?
  if [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; then
    kill "$E2E_APP_PID" 2>/dev/null || true
    wait "$E2E_APP_PID" 2>/dev/null || true
  fi
  E2E_APP_PID=""
  if [ -n "$E2E_WESTON_PID" ]; then
    kill "$E2E_WESTON_PID" 2>/dev/null || true
    wait "$E2E_WESTON_PID" 2>/dev/null || true
  fi
  set +e
  (exit "$status")
  e2e_cleanup
}
trap weston_exit EXIT

# start_weston x11|headless WIDTHxHEIGHT: weston with a black background and
# no panel, so that the window is the only thing on its screen.
start_weston() {
  local backend="$1" size="$2"
  export XDG_RUNTIME_DIR="$E2E_TMP/xdg"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  cat >"$E2E_TMP/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
background-color=0xff000000
panel-position=none
locking=false
animation=none
startup-animation=none
close-animation=none
focus-animation=none
INI
  local options=(--config="$E2E_TMP/weston.ini" --socket=wayland-e2e --idle-time=0 --use-pixman
                 --width="${size%x*}" --height="${size#*x}")
  if [ "$backend" = headless ]; then
    WESTON_HEADLESS=1
    options+=(--backend=headless-backend.so --debug)
  else
    options+=(--backend=x11-backend.so --output-count=1)
  fi
  weston "${options[@]}" >"$E2E_TMP/weston.log" 2>&1 &
  E2E_WESTON_PID=$!
  export WAYLAND_DISPLAY=wayland-e2e
  for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/wayland-e2e" ] && grep -q "launching '.*weston-desktop-shell'" "$E2E_TMP/weston.log" && break
    kill -0 "$E2E_WESTON_PID" 2>/dev/null || fail "weston did not start"
    sleep 0.1
  done
  [ -S "$XDG_RUNTIME_DIR/wayland-e2e" ] || fail "weston opened no socket"
  sleep 0.5
  log "weston ($backend) on $WAYLAND_DISPLAY"
}

# shot_screen FILE: the whole screen.
shot_screen() {
  if [ -n "$WESTON_HEADLESS" ]; then
    local before after
    (cd "$E2E_TMP" && rm -f wayland-screenshot-*.png && weston-screenshooter >/dev/null 2>&1) ||
      fail "weston-screenshooter failed"
    mv "$E2E_TMP"/wayland-screenshot-*.png "$1" 2>/dev/null || fail "weston-screenshooter wrote nothing"
  else
    import -window root "$1" 2>/dev/null || fail "screenshot of the screen failed"
  fi
}

# find_window: the window's client area from a screenshot (the only thing on
# the black screen, inside Qt's own decoration). Under the nested weston the
# pointer is drawn on the screen too: the square it may cover is blackened
# first, which leaves the window's extent as it is. Fails when nothing shows.
find_window() {
  local box w h x y mask=()
  shot_screen "$E2E_TMP/screen.png"
  if [ -z "$WESTON_HEADLESS" ]; then
    local X Y
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
    mask=(-fill black -draw "rectangle $((X - 8)),$((Y - 8)) $((X + 40)),$((Y + 40))")
  fi
  box="$(convert "$E2E_TMP/screen.png" "${mask[@]}" -fuzz 10% -trim -format '%w %h %X %Y' info: 2>/dev/null)"
  read -r w h x y <<<"$box"
  [ "$w" -gt $((DECO_LEFT + DECO_RIGHT)) ] 2>/dev/null || return 1
  CLIENT_X=$((x + DECO_LEFT)); CLIENT_Y=$((y + DECO_TOP))
  CLIENT_W=$((w - DECO_LEFT - DECO_RIGHT)); CLIENT_H=$((h - DECO_TOP - DECO_BOTTOM))
}

# Overrides of lib.sh: screenshots of the client area, its size, clicks into it.
shot_window() {
  local geom="${CLIENT_W}x${CLIENT_H}+${CLIENT_X}+${CLIENT_Y}"
  if [ -n "$WESTON_HEADLESS" ]; then
    shot_screen "$E2E_TMP/screen.png"
    convert "$E2E_TMP/screen.png" -crop "$geom" +repage "$E2E_TMP/$1.${2:-png}" || fail "screenshot '$1' failed"
  else
    import -window root -crop "$geom" +repage -depth 8 "$E2E_TMP/$1.${2:-png}" 2>/dev/null ||
      fail "screenshot '$1' failed"
  fi
}
shot_region() {
  shot_window "$1"
  convert "$E2E_TMP/$1.png" -crop "$2" +repage "$E2E_TMP/$1.png"
}
window_size() { find_window || true; echo "${CLIENT_W}x${CLIENT_H}"; }
click() {
  xdotool mousemove $((CLIENT_X + $1)) $((CLIENT_Y + $2)) click 1
  xdotool mousemove $((CLIENT_X + NEUTRAL_X)) $((CLIENT_Y + NEUTRAL_Y))
}

# start_app_wayland: the program on Qt's Wayland platform; waits until its
# window shows the start-up defaults ("-1,41" in Edit1) and has stopped
# changing. Logs how long that took from the program's start.
start_app_wayland() {
  unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
  local t0 prev="" cur=""
  [ -n "$WESTON_HEADLESS" ] || xdotool mousemove 0 0
  t0=$(now_ms)
  QT_QPA_PLATFORM=wayland "$E2E_APP" >"$E2E_TMP/program.log" 2>&1 &
  E2E_APP_PID=$!
  local deadline=$(( t0 + 25000 ))
  while [ "$(now_ms)" -lt "$deadline" ]; do
    app_alive || fail "the program ended at start"
    if find_window && [ "$CLIENT_W" -gt 100 ]; then
      # The pointer rests on a blank spot of the window, away from the thumbnails.
      [ -n "$WESTON_HEADLESS" ] || xdotool mousemove $((CLIENT_X + NEUTRAL_X)) $((CLIENT_Y + NEUTRAL_Y))
      shot_window "start-wait"
      cur="$(region_hash "$E2E_TMP/start-wait.png" "1124x754+0+0")"
      if [ "$(dark_pixels "$E2E_TMP/start-wait.png" 60x14+44+444)" -gt 10 ] && [ "$cur" = "$prev" ]; then
        log "start-up state shown (seen $(( $(now_ms) - t0 )) ms after the start)"
        return 0
      fi
      prev="$cur"
    fi
    sleep 0.1
  done
  fail "the window did not show its start-up state within 25 s"
}
