#!/usr/bin/env bash
# setupb.exe in a program folder of 250 characters: its own path has more than
# 259 characters, so it cannot find itself, shows the install-failed message
# and exits with 1, writing nothing. A Win32 parent cannot start a program at
# such a path: it is started here with its Unix path, while the fault test
# program watches for its message, dismisses it and reads its exit code.
# Usage: long_program_folder.sh WINERUN PREFIX ARCH FAULT_TESTS.exe SETUPB.exe
set -euo pipefail
winerun=$1 prefix=$(realpath -m "$2") arch=$3 tests=$4 setupb=$5

"$winerun" "$prefix" "$arch" "$tests" --gtest_list_tests >/dev/null  # creates the prefix on first use
root="$prefix/drive_c/faultlong"
log=$(mktemp)
rm -rf "$root"
trap 'rm -rf "$root" "$log"' EXIT
name=$(printf 'l%.0s' $(seq 237))  # C:\faultlong\ has 13 characters
folder="$root/$name"
mkdir -p "$folder"
cp "$setupb" "$folder/setupb.exe"
echo "driver image" >"$folder/vlncdrvr.sys"

FAULT_LONG_FOLDER="C:\\faultlong\\$name" "$winerun" "$prefix" "$arch" "$tests" \
  --gtest_filter=FileFaults.LongProgramFolderEndsWithInstallFailed >"$log" 2>&1 &
watcher=$!
# The watcher leaves a file in the folder once it has reset the machine.
for _ in $(seq 300); do
  [ -f "$folder/ready" ] || ! kill -0 "$watcher" 2>/dev/null && break
  sleep 0.1
done
status=0
if [ -f "$folder/ready" ]; then
  timeout 120 "$winerun" "$prefix" "$arch" "$folder/setupb.exe" || status=$?
fi
watched=0
wait "$watcher" || watched=$?
cat "$log"
echo "setupb.exe in a $((13 + ${#name}))-character folder: exit $status"
[ "$status" -eq 1 ] && [ "$watched" -eq 0 ] && grep -q '^\[  PASSED  \] 1 test\.' "$log"
