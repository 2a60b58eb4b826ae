# Shared shell functions for the project's scripts: which preset to use, and
# running Windows programs under Wine in a prefix of the project's own.
#
# A prefix PREFIX comes with:
#   PREFIX.lock      serialises preparation between concurrent callers
#   PREFIX.display   the X display of the prefix's own Xvfb ("N pid")
#   PREFIX/../floppy the folder that the prefix maps to drive A:
#   PREFIX/drive_c/windows/Fonts  Wine's own fonts that the dialogs use (wine_link_fonts)
# The prefix never uses the caller's display, so tests cannot disturb a desktop.

wine_loader_for() {
  case "$1" in
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo /usr/lib/wine/wine ;;
  esac
}

# True when this machine can execute Wine for the given prefix kind. A 32-bit
# prefix needs the kernel to run i386 Linux programs, which some machines do not.
wine_can_run() {
  local loader
  loader=$(wine_loader_for "$1")
  [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# The preset a script works with: the one named (win32 or win64), else win32
# when this machine runs 32-bit Wine, else win64. Any other name: says so and
# returns 2.
preset_or_default() {
  case "${1:-}" in
    win32|win64) echo "$1" ;;
    "") if wine_can_run win32; then echo win32; else echo win64; fi ;;
    *) echo "$(basename "$0"): unknown preset '$1' (win32 or win64)" >&2; return 2 ;;
  esac
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
  local fifo num="" pid
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # Not holding the preparation lock (fd 9): a failure after this point must not leave it taken for good.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >"$WINEPREFIX.xvfb.log" 2>&1 9>&- &
  pid=$!
  read -r num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine-lib: the virtual display (Xvfb) did not start; its output:" >&2
    cat "$WINEPREFIX.xvfb.log" >&2
    return 1
  fi
  echo "$num $pid" >"$WINEPREFIX.display"
  export DISPLAY=":$num"
}

# Wine's own fonts (Debian's fonts-wine) that the dialogs use, as Windows has
# them: Marlett, whose glyphs draw the caption buttons; MS Sans Serif, the
# dialogs' font, as bitmaps (sserife.fon: code page 1252, 96 dpi); Tahoma and
# Tahoma Bold, the captions' and message boxes' font; System (vgasys.fon), a
# device context's first font, in which the copy dialog paints its lines.
# Wine 8 as Debian builds it looks for its fonts in "<data dir>\../fonts", a
# Windows path with a "/" in it that it cannot open, and so never finds them:
# every text falls back to DejaVu Sans and the close button shows Marlett's
# letter "r" in place of its cross. Linked into the prefix's Windows font
# folder, they are found as Windows finds its own. Only these five: Wine
# parses every font file there at each program start (cheap, but all 63 of
# fonts-wine are 94 faces for no dialog of ours).
wine_fonts=/usr/share/wine/fonts
wine_font_files=(marlett.ttf sserife.fon tahoma.ttf tahomabd.ttf vgasys.fon)

wine_link_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" file
  # Shell tests only when all are there: this runs before every test program.
  for file in "${wine_font_files[@]}"; do
    if [ -e "$wine_fonts/$file" ] && [ ! -e "$fonts/$file" ]; then
      mkdir -p "$fonts" && ln -sfn "$wine_fonts/$file" "$fonts/$file" || return 1
    fi
  done
}

# Gives up the preparation lock and returns 1: for a step of wine_prepare that failed.
wine_prepare_failed() {
  echo "wine-lib: $1" >&2
  flock -u 9
  exec 9>&-
  return 1
}

# Creates the prefix on first use, links Wine's fonts into it, maps drive A:,
# starts the prefix's Xvfb and a persistent wineserver. Safe to call from many
# processes at once. Returns 1, having said which step failed, on a failure.
wine_prepare() {
  wine_env "$1" "$2"
  mkdir -p "$(dirname "$WINEPREFIX")" || return 1
  exec 9>"$WINEPREFIX.lock"
  flock 9
  wine_display_alive || wine_start_display || { wine_prepare_failed "no virtual display for $WINEPREFIX"; return 1; }
  if [ ! -f "$WINEPREFIX/.setupb-prepared" ]; then
    # A prefix without the mark was cut short while being made (a killed
    # wineboot leaves one that never completes): make it again from nothing.
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k >/dev/null 2>&1 || true
      rm -rf "$WINEPREFIX"
    fi
    "$WINE_LOADER" wineboot --init >/dev/null 2>&1 ||
      { wine_prepare_failed "wineboot could not make the prefix $WINEPREFIX"; return 1; }
    # Without a window manager Wine waits up to 2 s each time a managed
    # window hides: every window of the prefix is unmanaged.
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
      { wine_prepare_failed "cannot set the X11 driver's Managed=N in $WINEPREFIX"; return 1; }
    wineserver -w
    touch "$WINEPREFIX/.setupb-prepared"
  fi
  # Also into a prefix made before the fonts were linked, or before fonts-wine was installed.
  wine_link_fonts || { wine_prepare_failed "cannot link Wine's fonts into $WINEPREFIX"; return 1; }
  local floppy
  floppy="$(dirname "$WINEPREFIX")/floppy"
  mkdir -p "$floppy"
  if [ "$(readlink "$WINEPREFIX/dosdevices/a:" 2>/dev/null)" != "$floppy" ]; then
    ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
  fi
  # Persistent for ten minutes after the last Wine process: fast starts during
  # a run, and no server left behind for long when nobody stops it.
  wineserver -p600 >/dev/null 2>&1 9>&- || true
  flock -u 9
  exec 9>&-
}

# Runs a Windows program in the prepared prefix and prints its output without
# carriage returns. The output goes through files: Wine's background processes
# (services, explorer) inherit it and would hold a pipe open after the program
# has ended. WINE_LOCALE, when set, is the program's LC_ALL (Wine takes the
# system locale from it): given to Wine alone, so that the shell does not try
# a locale this machine may not have. WINE_LOCALE may instead hold locale
# variables, e.g. "LC_CTYPE=de_AT.UTF-8 LC_MESSAGES=fr_CA.UTF-8": Wine takes the
# system locale from LC_CTYPE and the user's from LC_MESSAGES.
# Returns the program's exit status.
wine_run() {
  local out err status=0 locale=()
  case "${WINE_LOCALE:-}" in
    "") ;;
    *=*) read -ra locale <<<"-u LC_ALL $WINE_LOCALE" ;;
    *) locale=("LC_ALL=$WINE_LOCALE") ;;
  esac
  out=$(mktemp)
  err=$(mktemp)
  env "${locale[@]}" "$WINE_LOADER" "$@" >"$out" 2>"$err" </dev/null || status=$?
  tr -d '\r' <"$out"
  tr -d '\r' <"$err" >&2
  rm -f "$out" "$err"
  return "$status"
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

# Holds PREFIX.run.lock for as long as the calling CTest run lasts (the caller's
# parent process), so that a second run of the same build tree waits for the
# first instead of sharing its registry, screen and drive A:. The run gets a
# fresh wineserver and screen, and leaves none behind.
wine_hold_for_run() {
  local run=$PPID
  mkdir -p "$(dirname "$1")"
  exec 8>"$1.run.lock"
  if ! flock -n 8; then
    echo "another test run of this build tree is going on: waiting for it to end"
    flock 8
  fi
  wine_stop "$1" "$2"
  (
    while kill -0 "$run" 2>/dev/null; do sleep 1; done
    wine_stop "$1" "$2"
  ) </dev/null >/dev/null 2>&1 &
  echo "$1 is this run's until process $run ends"
}

# The start of scripts/demo, scripts/screenshots and scripts/bench, run from the
# top of the source tree: installs what is missing, takes the preset named (or
# the default, see preset_or_default), makes sure this machine runs its
# programs, builds TARGETS and makes a new prefix in build/<preset>/PLACE (the
# prefix in PLACE/prefix, drive A: the folder PLACE/floppy; whatever PLACE held
# is removed first), stopped again when the script exits.
# Sets preset, build (the build folder) and prefix. Returns non-zero, having
# said why, when a step fails.
# Usage: wine_script_start NAME PRESET_ARGUMENT PLACE TARGET...
wine_script_start() {
  local name=$1 asked=$2 place=$3
  shift 3
  scripts/bootstrap || return 1
  preset=$(preset_or_default "$asked") || return 2
  if ! wine_can_run "$preset"; then
    echo "$name: this machine cannot run $preset programs under Wine" >&2
    return 1
  fi
  build="$PWD/build/$preset"
  cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@" || return 1
  prefix="$build/$place/prefix"
  wine_stop "$prefix" "$preset"
  rm -rf "${build:?}/$place"
  trap 'wine_stop "$prefix" "$preset"' EXIT
  wine_prepare "$prefix" "$preset"
}
