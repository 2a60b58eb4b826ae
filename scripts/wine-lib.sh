# Shared shell functions for running Windows programs under Wine in a prefix
# of the project's own (sourced by winerun, wine-stop, test, demo and bench).
#
# A prefix PREFIX comes with:
#   PREFIX.lock     serialises preparation between concurrent callers
#   PREFIX.display  the X display of the prefix's own Xvfb ("N pid")
#   PREFIX/../floppy the folder that the prefix maps to drive A:
# The prefix never uses the caller's display, so tests cannot disturb a desktop.

wine_loader_for() {
  case "$1" in
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo /usr/lib/wine/wine ;;
  esac
}

# True when this machine can execute Wine for the given prefix kind. A 32-bit
# prefix needs the kernel to run i386 Linux programs, which some virtual
# machines do not allow.
wine_can_run() {
  local loader
  loader=$(wine_loader_for "$1")
  [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

wine_env() {
  WINEPREFIX=$(realpath -m "$1")
  export WINEPREFIX
  export WINEARCH="$2"
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer windows when a prefix is created.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  WINE_LOADER=$(wine_loader_for "$2")
  export WINE_LOADER
}

wine_display_alive() {
  local file="$WINEPREFIX.display" num pid
  [ -f "$file" ] || return 1
  read -r num pid <"$file" || return 1
  [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null || return 1
  export DISPLAY=":$num"
}

wine_start_display() {
  local fifo num pid
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  pid=$!
  read -r num <"$fifo"
  rm -f "$fifo"
  echo "$num $pid" >"$WINEPREFIX.display"
  export DISPLAY=":$num"
}

# Creates the prefix on first use, maps drive A:, starts the prefix's Xvfb and
# a persistent wineserver. Safe to call from many processes at once.
wine_prepare() {
  wine_env "$1" "$2"
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  wine_display_alive || wine_start_display
  if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.setupb-ready" ]; then
    "$WINE_LOADER" wineboot --init >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.setupb-ready"
  fi
  local floppy
  floppy="$(dirname "$WINEPREFIX")/floppy"
  mkdir -p "$floppy"
  if [ "$(readlink "$WINEPREFIX/dosdevices/a:" 2>/dev/null)" != "$floppy" ]; then
    ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
  fi
  # Persistent for ten minutes after the last Wine process: fast starts during
  # a run, and no server left behind for long when nobody stops it.
  wineserver -p600 >/dev/null 2>&1 || true
  flock -u 9
  exec 9>&-
}

# Stops the prefix's wineserver and Xvfb (only the ones this prefix started).
wine_stop() {
  wine_env "$1" "$2"
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  local num pid
  if [ -f "$WINEPREFIX.display" ] && read -r num pid <"$WINEPREFIX.display"; then
    kill "$pid" 2>/dev/null || true
    rm -f "$WINEPREFIX.display"
  fi
}
