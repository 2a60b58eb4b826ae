#!/usr/bin/env bash
# The program may import only the system DLLs it needs: KERNEL32, USER32,
# GDI32, ADVAPI32 and msvcrt. Anything else (a MinGW runtime DLL, say) would
# be missing on the diskette.
set -euo pipefail
objdump=$1
exe=$2
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
if [ -z "$imports" ]; then
  echo "no import table found in $exe"
  exit 1
fi
echo "imports of $exe:"
echo "$imports"
status=0
for dll in $imports; do
  case "$dll" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
    *) echo "unexpected import: $dll"; status=1 ;;
  esac
done
for dll in KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL; do
  echo "$imports" | grep -qx "$dll" || { echo "expected import missing: $dll"; status=1; }
done
exit $status
