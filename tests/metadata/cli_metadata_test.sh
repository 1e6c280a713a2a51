#!/usr/bin/env bash
# lumivex-cli enhance and convert carry the reference picture's metadata, as exiftool sees it.
# Usage: cli_metadata_test.sh LUMIVEX_CLI TEST_DATA_FOLDER
set -u
cli=$1
data=$2/metadata
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

tags() {  # the tags a user checks first, one "Name: value" per line
    exiftool -s -s -Make -Model -DateTimeOriginal -Orientation# -GPSLatitudeRef -Creator \
        -ExifImageWidth -ExifImageHeight -XResolution -ProfileDescription -ThumbnailLength "$1" |
        tr '\n' ';'
}

check() {  # check DESCRIPTION EXPECTED ACTUAL
    if [[ "$3" == "$2" ]]; then
        echo "ok: $1"
    else
        echo "FAIL: $1:"
        echo "  expected: $2"
        echo "  got:      $3"
        failures=$((failures + 1))
    fi
}

camera="Make: Canon;Model: Canon EOS 40D;DateTimeOriginal: 2008:05:30 15:56:01;Orientation: 6;"
camera+="GPSLatitudeRef: North;Creator: Test Photographer;"
icc="ProfileDescription: sRGB IEC61966-2.1;"

# Each output format: the camera's metadata with the new size, or with --strip-metadata none of
# it: only what the format's own header says (JFIF density; pHYs, which exiftool names otherwise;
# TIFF orientation and resolution).
for format in "jpg:XResolution: 96;" "png:" "tif:Orientation: 1;XResolution: 96;"; do
    ext=${format%%:*}
    "$cli" enhance --quiet "$data/camera.jpg" "$data/camera.jpg" "$data/camera.jpg" \
        -o "$work/enhanced.$ext" 2>"$work/stderr"
    check "enhance carries the camera's metadata into .$ext with the new size" \
        "${camera}ExifImageWidth: 200;ExifImageHeight: 136;XResolution: 96;$icc" \
        "$(tags "$work/enhanced.$ext")"
    check "enhance into .$ext prints no warning for sound metadata" "" "$(cat "$work/stderr")"
    "$cli" enhance --quiet --strip-metadata "$data/camera.jpg" "$data/camera.jpg" \
        "$data/camera.jpg" -o "$work/stripped.$ext"
    check "enhance --strip-metadata carries none into .$ext" "${format#*:}" \
        "$(tags "$work/stripped.$ext")"
done

"$cli" convert "$data/camera.jpg" "$work/converted.jpg"
check "convert carries the metadata" \
    "${camera}ExifImageWidth: 100;ExifImageHeight: 68;XResolution: 72;$icc" "$(tags "$work/converted.jpg")"

"$cli" convert --strip-metadata "$data/camera.jpg" "$work/converted.jpg"
check "convert --strip-metadata carries none" "XResolution: 72;" "$(tags "$work/converted.jpg")"

"$cli" convert "$data/camera_bad_icc.jpg" "$work/bad.jpg" 2>"$work/stderr"
check "a broken ICC profile: written without it, status 0" \
    "0 ${camera}ExifImageWidth: 100;ExifImageHeight: 68;XResolution: 72;" "$? $(tags "$work/bad.jpg")"
check "a broken ICC profile: the warning names the file" \
    "lumivex-cli: $data/camera_bad_icc.jpg: the ICC colour profile is left out" \
    "$(sed 's/ (.*//' "$work/stderr")"

"$cli" convert "$data/camera_bad_icc.jpg" "$work/bad.bmp" 2>"$work/stderr"
check "a BMP output carries no metadata, so a damaged block in the input is not reported" \
    "0 " "$? $(cat "$work/stderr")"

((failures == 0)) || { echo "$failures check(s) failed"; exit 1; }
