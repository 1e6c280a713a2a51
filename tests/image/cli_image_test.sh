#!/usr/bin/env bash
# lumivex-cli info and convert against the image fixtures: outputs, messages and exit status.
# Usage: cli_image_test.sh LUMIVEX_CLI TEST_DATA_FOLDER
set -u
cli=$1
data=$2/image
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check DESCRIPTION EXPECTED_STATUS ACTUAL_STATUS [OUTPUT PATTERN]
    local what=$1 want=$2 got=$3
    if [[ $got -ne $want ]]; then
        echo "FAIL: $what: exit status $got, expected $want"
        failures=$((failures + 1))
    elif [[ $# -ge 5 ]] && ! grep -qE -- "$5" <<<"$4"; then
        echo "FAIL: $what: output does not match /$5/:"
        echo "$4"
        failures=$((failures + 1))
    else
        echo "ok: $what"
    fi
}

out=$("$cli" info --json "$data/bmp/g/pal8.bmp" "$data/jpeg/m_exif_MM_28_cm.jpg" 2>&1)
check "info --json, two good files" 0 $? "$out" \
    '^\{"path": "[^"]*pal8.bmp", "type": "image", "format": "bmp", "width": 127, "height": 64, "bits": 8, "dpi_x": 72, "dpi_y": 72\}$'
check "info --json reports the EXIF dpi" 0 0 "$out" \
    '"format": "jpeg", "width": 451, "height": 300, "bits": 24, "dpi_x": 71, "dpi_y": 71\}$'

out=$("$cli" info --json "$data/bmp/b/badwidth.bmp" "$work/none.bmp" "$work/x.gif" 2>/dev/null)
check "info --json, unreadable files" 1 $? "$out" '"error": "unknown file format"\}'
check "info --json, missing file" 1 1 "$out" '"path": "[^"]*none.bmp", "error": "no such file or directory"\}'

out=$("$cli" info "$data/jpeg/m_grey.jpg" 2>&1)
check "info text" 0 $? "$out" 'm_grey.jpg: jpeg, 512 x 512, 8 bits, 1 x 1 dpi'
out=$("$cli" info "$data/jpeg/m_png_named_jpg.jpg" 2>&1 >/dev/null)
check "info text error on stderr" 1 $? "$out" '^lumivex-cli: [^ ]*m_png_named_jpg.jpg: cannot be read \(not a JPEG file'

"$cli" info >/dev/null 2>&1
check "info without files" 2 $?
"$cli" info --frobnicate "$data/bmp/g/pal8.bmp" >/dev/null 2>&1
check "info with an unknown option" 2 $?
out=$("$cli" info --help)
check "info --help" 0 $? "$out" 'Usage: lumivex-cli info'

"$cli" convert "$data/bmp/g/pal4.bmp" "$work/pal4.BMP"
out=$("$cli" info "$work/pal4.BMP" 2>&1)
check "convert a 4-bit BMP to a 24-bit BMP" 0 $? "$out" 'bmp, 127 x 64, 24 bits, 72 x 72 dpi'

"$cli" convert "$data/jpeg/m_jfif_300dpi.jpg" "$work/photo.bmp"
out=$("$cli" info "$work/photo.bmp" 2>&1)
check "convert JPEG to BMP keeps the dpi" 0 $? "$out" 'bmp, 451 x 300, 24 bits, 300 x 300 dpi'

"$cli" convert "$work/photo.bmp" "$work/photo.JPEG"
out=$("$cli" info --json "$work/photo.JPEG" 2>&1)
check "convert BMP to JPEG" 0 $? "$out" '"format": "jpeg", "width": 451, "height": 300, "bits": 24, "dpi_x": 300'

"$cli" convert "$work/photo.bmp" "$work/photo.tif" && "$cli" convert "$work/photo.tif" "$work/photo.png"
out=$("$cli" info --json "$work/photo.tif" "$work/photo.png" 2>&1)
check "convert to TIFF keeps the dpi" 0 $? "$out" '"format": "tiff", "width": 451, "height": 300, "bits": 24, "dpi_x": 300'
check "convert TIFF to PNG keeps the dpi" 0 0 "$out" '"format": "png", "width": 451, "height": 300, "bits": 24, "dpi_x": 300'
out=$("$cli" convert "$data/png/im_rgba16.png" "$work/photo.gif" 2>&1)
check "an extension that names no format is refused" 2 $? "$out" 'photo.gif: no picture format is written under this name \(the formats are BMP \(.bmp\), JPEG \(.jpg, .jpeg\), PNG \(.png\), TIFF \(.tif, .tiff\)\)$'
check "nothing is written under a refused name" 1 "$(test -e "$work/photo.gif"; echo $?)"

echo "precious" >"$work/keep.bmp"
out=$("$cli" convert "$data/bmp/b/badwidth.bmp" "$work/keep.bmp" 2>&1)
check "convert of an unreadable file" 1 $? "$out" 'badwidth.bmp: cannot be read \('
check "the old output is untouched" 0 0 "$(cat "$work/keep.bmp")" '^precious$'
out=$("$cli" convert "$data/bmp/g/pal8.bmp" "$work/no/such/dir/out.bmp" 2>&1)
check "convert to an impossible path" 1 $? "$out" 'out.bmp: cannot be written \(the folder .*/no/such/dir does not exist\)'
"$cli" convert "$data/bmp/g/pal8.bmp" >/dev/null 2>&1
check "convert with one path" 2 $?

strays=$(find "$work" -name '.lumivex-save-*' | wc -l)
check "no temporary files are left behind" 0 "$strays"

exit $((failures > 0))
