#!/usr/bin/env bash
# pe_hardening.sh EXE VERSION SOURCE_DIR BINARY_DIR
# Tessivar.exe as shipped, read from its PE headers: ASLR with high entropy
# and DEP on, imports from Windows' own DLLs and the C runtime only (not the
# shell's, COM's or the registry's, which start-up need not load), no bigger
# than 1.25 MiB with SQLite compiled in; built reproducibly (no link time in the header, neither build
# folder in any string), its version block carrying the project's version.
set -euo pipefail
readonly exe=$1 version=$2 source_dir=$3 binary_dir=$4
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

# The shell's DLL and the dozen it brings cost every start; the program
# loads it when a site is first opened or a box first focused, and COM and
# the registry with it.
for dll in shell32.dll ole32.dll advapi32.dll; do
    if grep -qix "$dll" <<<"$dlls"; then
        echo "imports $dll at start-up"
        failed=1
    fi
done

size=$(stat -c %s "$exe")
echo "size $size bytes ($((size / 1024)) KiB), at most 1.25 MiB"
[ "$size" -le $((1280 * 1024)) ] || { echo "larger than 1.25 MiB"; failed=1; }

# The COFF header's TimeDateStamp lies 8 bytes past the PE signature, whose
# offset is at 0x3c.
u32() { od -An -tu4 --endian=little -j "$1" -N4 "$exe" | tr -d ' '; }
stamp=$(u32 $(($(u32 60) + 8)))
echo "TimeDateStamp $stamp"
[ "$stamp" -eq 0 ] || { echo "the header carries the link time"; failed=1; }

texts=$(strings -a "$exe"; strings -a -el "$exe")  # narrow and UTF-16 strings
for dir in "$source_dir" "$binary_dir"; do
    if grep -qF "$dir" <<<"$texts"; then
        echo "$dir is written in the exe"
        failed=1
    fi
done

# FILEVERSION and PRODUCTVERSION as numbers and as text, parts left out of
# the project's version counting as 0.
IFS=. read -r major minor patch tweak <<<"$version"
numbers="${major:-0}, ${minor:-0}, ${patch:-0}, ${tweak:-0}"
text="${major:-0}.${minor:-0}.${patch:-0}.${tweak:-0}"
block=$(x86_64-w64-mingw32-windres -i "$exe" -O rc | sed -n '/ VERSIONINFO$/,/^END$/p')
for line in " FILEVERSION $numbers" " PRODUCTVERSION $numbers" \
    "      VALUE \"FileVersion\", \"$text\"" "      VALUE \"ProductVersion\", \"$text\"" \
    '    BLOCK "041904E3"' '    VALUE "Translation", 0x419, 1251'; do
    grep -qxF "$line" <<<"$block" || { echo "version block lacks:$line"; failed=1; }
done
echo "version block: $text"
exit "$failed"
