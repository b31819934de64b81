#!/usr/bin/env bash
# An installation into a fresh prefix: exactly the expected files, the data byte for byte as in
# the source tree, the product (not the simulated program) in bin/, and the desktop entry, the
# AppStream metainfo and the udev rule accepted by their validators.
#
# usage: installed_files.sh <build folder> <source folder>
set -u
build=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$here/files.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "install"; }

diff <(expected_files "$source") <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) \
    || fail "the installed files differ from the expected ones (< expected, > installed)"
[ -d "$prefix/share/stryla-config/modules/macro" ] || fail "no macro folder"

data=$prefix/share/stryla-config/modules
for f in "$source"/modules/setting/*.bin "$source"/modules/i18n/*.ini "$source"/modules/gun/*.bin \
    "$source"/modules/img/logo.ico; do
    cmp -s "$f" "$data/${f#"$source"/modules/}" || fail "${f#"$source"/} differs from its installed copy"
done
for n in $(seq 1 10); do
    cmp -s "$source/modules/setting/pD.bin" "$data/setting/p$n.bin" || fail "p$n.bin is not the factory profile"
done
cmp -s "$source/modules/img/logo.svg" "$prefix/share/icons/hicolor/scalable/apps/stryla-config.svg" \
    || fail "the icon is not the program's logo"

# The product talks to the mouse through hidapi; the simulated program links no hidapi.
readelf -d "$prefix/bin/stryla-config" | grep -q 'NEEDED.*libhidapi-hidraw' \
    || fail "bin/stryla-config is not linked with hidapi (the simulated program?)"
[ -x "$prefix/bin/stryla-config" ] || fail "bin/stryla-config is not executable"

desktop=$prefix/share/applications/stryla-config.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx "Exec=stryla-config" "$desktop" || fail "the desktop entry does not start bin/stryla-config"
grep -qx "Icon=stryla-config" "$desktop" || fail "the desktop entry does not name the installed icon"

metainfo=$prefix/share/metainfo/example.korvane.StrylaConfig.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
for device in "usb:v04D9pA1EEd\*" "usb:v04D9p8008d\*"; do
    grep -q "<modalias>$device</modalias>" "$metainfo" || fail "the metainfo does not provide $device"
done
grep -q "<launchable type=\"desktop-id\">stryla-config.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch the installed desktop entry"
grep -qE "<image>https://[^<]+\.png</image>" "$metainfo" || fail "the metainfo has no screenshot"

rule=$prefix/lib/udev/rules.d/70-stryla-config.rules
if udevadm verify --help > /dev/null 2>&1; then
    udevadm verify "$rule" || fail "udevadm verify"
else
    echo "udevadm verify is not available; checking the rule's syntax"
    /usr/bin/python3 "$here/udev_rule_check.py" "$rule" || fail "the udev rule"
fi
for id in a1ee 8008; do
    grep -E "^[^#]*ATTRS\{idVendor\}==\"04d9\", ATTRS\{idProduct\}==\"$id\".*TAG\+=\"uaccess\"" "$rule" > /dev/null \
        || fail "the udev rule does not hand 04d9:$id to the user at the seat"
done
echo "PASS: installed files"
