# Shared by scripts/wine and scripts/test: the project's Wine environment.
# Sourced, not run. Expects SUITE_ROOT to be set.

: "${SUITE_BUILD:=$SUITE_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$SUITE_BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

suite_xvfb_pid=""
suite_wineserver_started=""

# Starts a private Xvfb on a free display unless DISPLAY already works.
suite_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    suite_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$suite_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$suite_xvfb_pid" 2>/dev/null || true
    suite_xvfb_pid=""
  done
  echo "wine-env: no Xvfb display could be started" >&2
  return 1
}

# Creates and configures the prefix once.
suite_ensure_prefix() {
  if [ -f "$WINEPREFIX/.suite-ready" ]; then
    return 0
  fi
  mkdir -p "$WINEPREFIX"
  echo "wine-env: creating the Wine prefix (one time)"
  timeout 300 "$WINE64" wineboot -i >/dev/null 2>&1 || true
  timeout 120 "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 120 "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  timeout 120 "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  timeout 120 "$WINESERVER" -w || true
  touch "$WINEPREFIX/.suite-ready"
}

# Keeps one wineserver alive for a run, so each program starts fast.
suite_start_wineserver() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
  suite_wineserver_started=1
  # Start Wine's own services now, detached from any test's output pipes, or a
  # test runner would wait for them to close the pipes it handed down.
  timeout 120 "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
}

suite_stop_wine() {
  if [ -n "$suite_wineserver_started" ]; then
    timeout 60 "$WINESERVER" -k >/dev/null 2>&1 || true
    suite_wineserver_started=""
  fi
  if [ -n "$suite_xvfb_pid" ]; then
    kill "$suite_xvfb_pid" 2>/dev/null || true
    wait "$suite_xvfb_pid" 2>/dev/null || true
    suite_xvfb_pid=""
  fi
}
