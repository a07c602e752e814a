#!/usr/bin/env bash
# Tessivar.exe as shipped, read from its PE headers: ASLR with high entropy
# and DEP on, imports from Windows' own DLLs and the C runtime only, and no
# bigger than 1 MiB.
set -euo pipefail
readonly exe=$1
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
failed=0

flags=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$headers")
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    grep -qw "$flag" <<<"$flags" || { echo "DllCharacteristics lacks $flag"; failed=1; }
done

dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
grep -qix kernel32.dll <<<"$dlls" || { echo "no import table read"; failed=1; }
for dll in $dlls; do
    case "${dll,,}" in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | shell32.dll | advapi32.dll | \
            msvcrt.dll | api-ms-win-crt-*.dll) echo "imports $dll" ;;
        *) echo "imports $dll, which is not a system DLL"; failed=1 ;;
    esac
done

size=$(stat -c %s "$exe")
echo "size $size bytes ($((size / 1024)) KiB), at most 1 MiB"
[ "$size" -le $((1024 * 1024)) ] || { echo "larger than 1 MiB"; failed=1; }
exit "$failed"
