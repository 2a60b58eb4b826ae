#!/usr/bin/env bash
# One commit gives the same bytes: builds the programs and the diskette again in BUILD/rebuild (another folder,
# time zone and umask, none of BUILD's objects) and compares the files byte for byte with BUILD's own.
# Usage: check_reproducible.sh SOURCE BUILD TOOLCHAIN BUILD_TYPE DRIVER_FILE TIME (BUILD's, though HEAD moved on)
set -euo pipefail
first=$2 again=$2/rebuild
rm -rf "$again"
mapfile -t sign < <(sed -n 's/^\(SETUPB_SIGN_[A-Z0-9_]*\):[A-Z]*=/-D\1=/p' "$first/CMakeCache.txt")  # BUILD's signing
(umask 077 && export TZ=XYZ-13:45 LC_ALL=C SOURCE_DATE_EPOCH=$6 &&
 cmake -S "$1" -B "$again" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$3" -DCMAKE_BUILD_TYPE="$4" -DSETUPB_DRIVER_FILE="$5" \
       -DSETUPB_GOOGLETEST_DIR="$again/none" "${sign[@]}" && cmake --build "$again" -j2 -t setupb vlncdctl diskette) \
  >"$again.log" 2>&1 || { cat "$again.log"; echo "FAIL: the second build failed"; exit 1; }
what_is_at() {  # $1 the file, $2 a byte offset in it
  if [[ $1 == *.img ]]; then  # 1.44 MB FAT12: boot sector, two FATs of 9 sectors, a root directory of 14
    if (($2 >= 39 && $2 < 43)); then echo "the volume serial number (boot sector)"
    elif (($2 < 512)); then echo "the boot sector"; elif (($2 < 9728)); then echo "the FAT"
    elif (($2 < 16896 && ($2 - 9728) % 32 >= 13 && ($2 - 9728) % 32 < 26)); then echo "a directory entry's dates"
    elif (($2 < 16896)); then echo "a directory entry"; else echo "file data"; fi
  elif [[ $(head -c 2 "$1") != MZ ]]; then echo "file data"
  else local pe=$(od -An -t u4 -j 60 -N 4 "$1")  # e_lfanew: where the PE headers start
    if (($2 >= pe + 8 && $2 < pe + 12)); then echo "the PE time stamp"
    elif (($2 >= pe + 88 && $2 < pe + 92)); then echo "the PE checksum"; else echo "section data"; fi; fi
}
status=0
for file in setupb.exe vlncdctl.exe diskette/setupb.exe diskette/vlncdctl.exe diskette/vlncdrvr.sys diskette.img; do
  [[ $file != diskette.img || -e $again/$file ]] || { echo "skipped: $file (no mtools, no image)"; continue; }
  if cmp -s "$first/$file" "$again/$file"; then echo "same: $file"; continue; fi
  status=1
  diffs=$(cmp -l "$first/$file" "$again/$file" 2>&1 || true)
  at=$(awk 'NR == 1 && $1 ~ /^[0-9]+$/ { print $1 - 1 }' <<<"$diffs")
  [ -n "$at" ] || { echo "FAIL: $file: $diffs"; continue; }
  echo "FAIL: $file differs from its rebuild in $(grep -c '^ *[0-9]' <<<"$diffs") bytes (sizes" \
       "$(stat -c %s "$first/$file" "$again/$file" | paste -sd/)), first at offset $at:" \
       "$(what_is_at "$first/$file" "$at")"
done
exit $status
