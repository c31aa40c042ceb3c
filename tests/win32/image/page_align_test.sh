#!/usr/bin/env bash
# The program's never-written sections start whole pages in its file (what lets Wine map them
# instead of copying them), no byte of the file lies outside the headers and the sections (so an
# Authenticode digest over the whole file equals Windows' section by section), and the aligning
# script moves section data without changing a byte of it and refuses, leaving the file as it was,
# what it cannot move safely.
#   page_align_test.sh SCRIPT PROGRAM OTHER_EXE
set -u
script=$1 program=$2 other=$3
objdump=${VELT_OBJDUMP:-i686-w64-mingw32-objdump}
objcopy=${VELT_OBJCOPY:-i686-w64-mingw32-objcopy}
sections=".text .rdata .eh_fram .rsrc .reloc"
others=".text .rdata .eh_fram .reloc" # the test program has no resources
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failed=1; fi; }
# Every section named in $2 starts a page in file $1.
aligned() {
    "$objdump" -h "$1" | while read -r _ name _ _ _ offset _; do
        case " $2 " in *" $name "*) [ $((0x$offset % 4096)) -eq 0 ] || exit 1 ;; esac
    done
}
# The headers and the sections of file $1, in file order, cover it end to end.
whole() {
    python3 - "$1" <<'PY'
import struct, sys
image = open(sys.argv[1], "rb").read()
pe, = struct.unpack_from("<I", image, 0x3C)
count, = struct.unpack_from("<H", image, pe + 6)
table = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
end, = struct.unpack_from("<I", image, pe + 84)  # the headers' size
stored = [struct.unpack_from("<II", image, table + 40 * i + 16) for i in range(count)]
for at, size in sorted((at, size) for size, at in stored if size):
    if at != end:
        sys.exit(1)
    end = at + size
sys.exit(end != len(image))
PY
}
same_sections() {
    for s in $others; do
        "$objcopy" -O binary -j "$s" "$1" "$work/a.bin" && "$objcopy" -O binary -j "$s" "$2" "$work/b.bin" &&
            cmp -s "$work/a.bin" "$work/b.bin" || return 1
    done
}
refuses() { cp "$1" "$work/refused"; ! python3 "$script" "$work/refused" $others 2>/dev/null && cmp -s "$1" "$work/refused"; }

check "the program's read-only sections start pages" aligned "$program" "$sections"
check "the program's headers and sections fill its file" whole "$program"
# Stripped as the program is, with section names that fit the section table.
"$objcopy" --strip-all --long-section-names disable "$other" "$work/before.exe"
cp "$work/before.exe" "$work/after.exe"
check "another program is aligned" python3 "$script" "$work/after.exe" $others
check "its sections start pages" aligned "$work/after.exe" "$others"
check "its sections hold the same bytes" same_sections "$work/before.exe" "$work/after.exe"
check "its headers and sections fill its file" whole "$work/after.exe"
cp "$work/after.exe" "$work/again.exe"
python3 "$script" "$work/again.exe" $others
check "aligning twice changes nothing" cmp -s "$work/after.exe" "$work/again.exe"
echo "not an image" >"$work/text"
check "refuses a file that is no image" refuses "$work/text"
check "refuses an image with a symbol table" refuses "$other"
cat "$work/before.exe" "$work/text" >"$work/tail.exe"
check "refuses data after the last section" refuses "$work/tail.exe"
check "refuses a section the image lacks" \
    eval '! python3 "$script" "$work/again.exe" .nothing 2>/dev/null && cmp -s "$work/after.exe" "$work/again.exe"'
exit $failed
