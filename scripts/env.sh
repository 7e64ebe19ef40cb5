# Shared set-up for scripts/test and scripts/run; source it, then call the functions.
# Installs what a fresh Debian machine lacks, prepares the Wine prefix and starts
# the background helpers (wineserver, Xvfb) with their output in a log file.

INK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
INK_CACHE=${INK_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/inkforge}
INK_BUILD=${INK_BUILD:-$INK_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$INK_CACHE/wineprefix}
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
INK_LOG=$INK_CACHE/helpers.log

ink_packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-x86-64-dev wine64 xvfb xauth locales fonts-ipafont-gothic googletest
  python3 npm hershey-fonts-data clang libclang-rt-dev)
INK_FONT_DEPS=${INK_FONT_DEPS:-$INK_CACHE/fontdeps}
export INK_FONT_DEPS

ink_need_sudo() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

ink_install() {
  local missing=()
  for p in "${ink_packages[@]}"; do
    # A Node.js build that brings its own npm is fine too.
    [ "$p" = npm ] && command -v npm >/dev/null && continue
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    ink_need_sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    ink_need_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "generating locale ja_JP.UTF-8"
    ink_need_sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | ink_need_sudo tee -a /etc/locale.gen >/dev/null
    ink_need_sudo locale-gen >/dev/null
  fi
  ink_fontdeps
}

# The font generator's npm packages, pinned by data/fonts/package-lock.json,
# installed outside the source tree.
ink_fontdeps() {
  local src=$INK_ROOT/data/fonts
  if ! cmp -s "$src/package-lock.json" "$INK_FONT_DEPS/package-lock.json" ||
    [ ! -d "$INK_FONT_DEPS/node_modules/@madcat/kanjivg/dist/main" ]; then
    echo "installing font sources into $INK_FONT_DEPS"
    mkdir -p "$INK_FONT_DEPS"
    cp "$src/package.json" "$src/package-lock.json" "$INK_FONT_DEPS/"
    (cd "$INK_FONT_DEPS" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
  fi
}

# Runs from the EXIT trap under set -e: a helper that is already gone must not turn a
# passing run into a failing one.
ink_stop_helpers() {
  if [ -n "${INK_XVFB_PID:-}" ]; then
    kill "$INK_XVFB_PID" 2>/dev/null || true
    wait "$INK_XVFB_PID" 2>/dev/null || true
  fi
  if [ -x "$WINESERVER" ]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  INK_XVFB_PID=
}

# ink_start_helpers [keep-display]: with keep-display an X display already set in
# DISPLAY is used instead of a new Xvfb.
ink_start_helpers() {
  mkdir -p "$INK_CACHE"
  : >"$INK_LOG"
  trap ink_stop_helpers EXIT
  if [ "${1:-}" = keep-display ] && [ -n "${DISPLAY:-}" ]; then
    ink_wine_ready
    ink_wine_managed Y
    return
  fi
  # X display for the window tests; pick a free number.
  local n=91
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >>"$INK_LOG" 2>&1 </dev/null &
  INK_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  ink_wine_ready
  ink_wine_managed N
}

# Whether a window manager manages Wine's windows (Y, on a user's desktop) or Wine
# draws and places them itself (N, on our own Xvfb, where no window manager runs:
# there every dialog that closes would wait about 2 s for a manager's answer).
ink_wine_managed() {
  local key='HKCU\Software\Wine\X11 Driver'
  LANG=ja_JP.UTF-8 "$WINE64" reg add "$key" /v Managed /d "$1" /f >>"$INK_LOG" 2>&1 </dev/null || true
}

# The Wine prefix exists and a persistent wineserver runs for it.
ink_wine_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating Wine prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    LANG=ja_JP.UTF-8 "$WINE64" wineboot -i >>"$INK_LOG" 2>&1 </dev/null
    "$WINESERVER" -w # let the boot's server write the registry and end
  fi
  # A persistent server keeps each Wine start short.
  LANG=ja_JP.UTF-8 "$WINESERVER" -p >>"$INK_LOG" 2>&1 </dev/null || true
  # Start Wine's own services now, with their output in the log.
  LANG=ja_JP.UTF-8 "$WINE64" cmd /c exit >>"$INK_LOG" 2>&1 </dev/null || true
}
