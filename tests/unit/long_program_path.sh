#!/usr/bin/env bash
# Program folders of 248 and 250 characters: the program's own path then has
# more than 259 characters and the platform hands it back truncated, which
# must count as not obtained (in the 248-character folder the source path of
# setupb.exe, 259 characters, would still fit). Both install file records stay
# unresolved and the probe does not crash. A Win32 parent cannot start a
# program at such a path, so it is started with its Unix path.
# Usage: long_program_path.sh WINERUN PREFIX ARCH PROBE.exe
set -euo pipefail
winerun=$1 prefix=$(realpath -m "$2") arch=$3 probe=$4

"$winerun" "$prefix" "$arch" "$probe" >/dev/null  # creates the prefix on first use
root="$prefix/drive_c/unitlong"
rm -rf "$root"
trap 'rm -rf "$root"' EXIT
expected=$(for record in setup:setupb.exe driver:vlncdrvr.sys; do
  printf '%s\n' "${record%%:*}.name=${record#*:}"
  printf "${record%%:*}.%s\n" runningFromSystemDir=0 sourceAvailable=0 targetExists=0 sourcePath= targetPath=
done)
failed=0
for length in 248 250; do
  folder="$root/$(printf 'l%.0s' $(seq $((length - 12))))"  # C:\unitlong\ has 12 characters
  mkdir -p "$folder"
  cp "$probe" "$folder/ifprobe.exe"
  touch "$folder/setupb.exe" "$folder/vlncdrvr.sys"
  status=0
  output=$("$winerun" "$prefix" "$arch" "$folder/ifprobe.exe") || status=$?
  if [ "$status" -ne 0 ] || [ "$output" != "$expected" ]; then
    echo "probe in a $length-character folder: exit $status, differences:"
    diff <(echo "$expected") <(echo "$output") || true
    failed=1
  else
    echo "$length-character folder: refused cleanly"
  fi
done
exit $failed
