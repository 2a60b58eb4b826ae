#!/usr/bin/env bash
# The diskette image is a 1.44 MB FAT12 floppy that holds exactly setupb.exe
# and vlncdrvr.sys, each byte-identical to the diskette folder, which in turn
# holds the built program and the driver file the build was given.
# Usage: check_image.sh IMAGE DISKETTE_DIR BUILT_SETUPB DRIVER_SOURCE
set -euo pipefail
image=$1
folder=$2
built_setup=$3
driver_source=$4
export MTOOLS_SKIP_CHECK=1

status=0
fail() { echo "FAIL: $*"; status=1; }

size=$(stat -c %s "$image")
[ "$size" -eq 1474560 ] || fail "image is $size bytes, not 1474560"
info=$(minfo -i "$image" ::)
grep -q 'disk type="FAT12' <<<"$info" || fail "not a FAT12 file system: $(grep 'disk type' <<<"$info")"

# The root directory, one name a line (mdir -b prints ::/NAME); no folders, no extras.
listing=$(mdir -i "$image" -b :: | sed 's|^::/||' | tr 'A-Z' 'a-z' | sort)
echo "image holds:"
echo "$listing"
[ "$listing" = $'setupb.exe\nvlncdrvr.sys' ] || fail "expected exactly setupb.exe and vlncdrvr.sys"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in setupb.exe vlncdrvr.sys; do
  if mcopy -i "$image" -n "::/$name" "$work/$name"; then
    cmp "$work/$name" "$folder/$name" || fail "$name in the image differs from the diskette folder"
  else
    fail "cannot extract $name"
  fi
done
cmp "$folder/setupb.exe" "$built_setup" || fail "diskette folder's setupb.exe is not the built program"
cmp "$folder/vlncdrvr.sys" "$driver_source" || fail "diskette folder's vlncdrvr.sys is not $driver_source"

[ "$status" -eq 0 ] && echo "diskette image OK"
exit "$status"
