# Sourced by the run, test and bench scripts: a display (Xvfb when there is
# none, or always under CI), the build tree's private Wine prefix, and one
# wineserver kept up until wine_stop.
#   wine_start BUILD_DIR     exports DISPLAY, WINEPREFIX, WINEDEBUG
#   wine_stop
#
# Test drives of the prefix, each a folder of BUILD_DIR/drives:
#   R:  removable ("floppy")        drives/removable
#   K:  CD-ROM                      drives/cdrom
#   F:  fixed, a 1 MB tmpfs when run as root (a real full disk)  drives/full

_xvfb_pid=""

wine_start() {
  local build="$1"
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  if [[ -z "${DISPLAY:-}" || -n "${CI:-}" || -n "${SETUP_XVFB:-}" ]]; then
    local n
    for n in $(seq 90 120); do
      [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      _xvfb_pid=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
      break
    done
  fi
  if [[ ! -f "$WINEPREFIX/.setup-configured" ]]; then
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko installers: the setup needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1 || true
    # Without a window manager, unmanaged windows hide and close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wine reg add 'HKLM\Software\Wine\Drives' /v r: /t REG_SZ /d floppy /f </dev/null >/dev/null 2>&1
    wine reg add 'HKLM\Software\Wine\Drives' /v k: /t REG_SZ /d cdrom /f </dev/null >/dev/null 2>&1
    wine reg add 'HKLM\Software\Wine\Drives' /v f: /t REG_SZ /d hd /f </dev/null >/dev/null 2>&1
    # The drive types are read when the mount manager starts.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.setup-configured"
  fi
  _wine_drives "$build"
  # Wine finds Marlett, the font of the caption buttons, only in the prefix:
  # without it they are drawn as letters.
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Started first and apart, so no pipe of ours is inherited by the server.
  wineserver -p </dev/null >/dev/null 2>&1 || true  # one may be up already
  wine wineboot </dev/null >/dev/null 2>&1 || true
}

_wine_drives() {
  local build="$1" d
  mkdir -p "$build/drives/removable" "$build/drives/cdrom" "$build/drives/full"
  if [[ $(id -u) -eq 0 ]] && ! mountpoint -q "$build/drives/full"; then
    mount -t tmpfs -o size=1m tmpfs "$build/drives/full" 2>/dev/null || true
  fi
  for d in r:removable k:cdrom f:full; do
    ln -sfn "$build/drives/${d#*:}" "$WINEPREFIX/dosdevices/${d%%:*}:"
  done
}

wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [[ -n "${WINEPREFIX:-}" ]] && mountpoint -q "$WINEPREFIX/../drives/full" 2>/dev/null; then
    umount "$WINEPREFIX/../drives/full" 2>/dev/null || true
  fi
  if [[ -n "$_xvfb_pid" ]]; then
    kill "$_xvfb_pid" 2>/dev/null || true
    wait "$_xvfb_pid" 2>/dev/null || true
    _xvfb_pid=""
  fi
}
