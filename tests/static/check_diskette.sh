#!/usr/bin/env bash
# The diskette image is a 1.44 MB FAT12 floppy that holds exactly setupb.exe, vlncdctl.exe and vlncdrvr.sys: the
# programs the diskette takes (the built ones, or signed) and the driver file the build was given.
# Usage: IMAGE PROGRAM TOOL DRIVER_FILE
set -euo pipefail
export MTOOLS_SKIP_CHECK=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ "$(stat -c %s "$1")" -eq 1474560 ] || { echo "FAIL: $1 is not 1474560 bytes"; exit 1; }
minfo -i "$1" :: | grep -q 'disk type="FAT12' || { echo "FAIL: not a FAT12 file system"; exit 1; }
listing=$(mdir -i "$1" -b :: | tr 'A-Z' 'a-z' | sort | paste -sd' ')
[ "$listing" = "::/setupb.exe ::/vlncdctl.exe ::/vlncdrvr.sys" ] || { echo "FAIL: the image holds $listing"; exit 1; }
mcopy -i "$1" -n ::/setupb.exe ::/vlncdctl.exe ::/vlncdrvr.sys "$work/"
cmp "$work/setupb.exe" "$2" && cmp "$work/vlncdctl.exe" "$3" && cmp "$work/vlncdrvr.sys" "$4" && echo "diskette image OK"
