#!/usr/bin/env bash
# The Debian package, built from the build tree as scripts/package builds it: its dependencies
# hold every library the program links (computed by dpkg-shlibdeps), the QML modules the scene
# imports and fonts for the Chinese, Japanese and Korean texts; apt can install it here; its
# contents are exactly the installed files, owned by root, with nothing of the tests or the
# simulated program; its postinst hands a plugged-in mouse over without a replug.
#
# usage: package.sh <build folder> <source folder>
set -u
build=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
source "$here/files.sh"

cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
version=$(sed -n 's/^project(stryla-config VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$(basename "$deb")" = "stryla-config_${version}_$(dpkg --print-architecture).deb" ] \
    || fail "unexpected package file name $(basename "$deb")"

dpkg-deb --info "$deb" > "$work/info" || fail "dpkg-deb --info"
cat "$work/info"
depends=$(sed -n 's/^ Depends: //p' "$work/info")
[ -n "$depends" ] || fail "no Depends in dpkg-deb --info"
# has_dependency <package>: the package is among the dependencies.
has_dependency() {
    sed -e 's/ *([^)]*)//g' -e 's/ *[,|] */\n/g' <<< "$depends" | grep -qxF "$1" \
        || fail "Depends lacks $1: $depends"
}

# Every library the program links.
dpkg-deb -x "$deb" "$work/root"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libraries=$(readelf -d "$work/root/usr/bin/stryla-config" | sed -n 's/.*NEEDED.*\[\(.*\)\]/\1/p')
[ -n "$libraries" ] || fail "bin/stryla-config names no library"
dpkg-query -S $(printf '*/%s ' $libraries) > "$work/owners" 2> /dev/null
for library in $libraries; do
    package=$(grep -F "/$multiarch/$library" "$work/owners" | grep -m1 "/$library\$" | cut -d: -f1)
    [ -n "$package" ] || fail "no package holds $library"
    has_dependency "$package"
done
# Loaded at run time: the scene's QML modules, the SVG image plugin, fonts with Chinese, Japanese
# and Korean glyphs.
qml_root=$(qtpaths6 --query QT_INSTALL_QML) || fail "qtpaths6 cannot name the QML folder"
for module in $(grep -rhoE "^\s*import\s+[A-Za-z][A-Za-z0-9_.]*" "$source/modules/qml" | awk '{ print $2 }' | sort -u); do
    qmldir=$qml_root/${module//.//}/qmldir
    package=$(dpkg-query -S "$qmldir" 2> /dev/null | head -n1 | cut -d: -f1)
    [ -n "$package" ] || fail "no package holds the QML module $module ($qmldir)"
    has_dependency "$package"
done
has_dependency libqt6svg6
has_dependency fonts-wqy-microhei
has_dependency fonts-ipaexfont-gothic
has_dependency fonts-nanum

# Every dependency is a package apt knows, and the package installs (simulated).
apt-get install --simulate --no-install-recommends "$deb" > "$work/apt.log" 2>&1 \
    || { cat "$work/apt.log"; fail "apt cannot install the package"; }

dpkg-deb --contents "$deb" > "$work/contents" || fail "dpkg-deb --contents"
diff <(expected_files "$source") <(awk '/^-/ { print $6 }' "$work/contents" | sed 's|^\./usr/||' | sort) \
    || fail "the package's files differ from the expected ones (< expected, > package)"
grep -E "stryla-config-sim|tst_|bench|simhid|/tests?/" "$work/contents" && fail "the package holds test files"
grep -q " \./usr/share/stryla-config/modules/macro/$" "$work/contents" || fail "no macro folder in the package"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" || fail "files not owned by root"
[ "$(awk '$6 == "./usr/bin/stryla-config" { print $1 }' "$work/contents")" = "-rwxr-xr-x" ] \
    || fail "bin/stryla-config is not executable"
file "$work/root/usr/bin/stryla-config" | grep -q ", stripped" || fail "bin/stryla-config is not stripped"

dpkg-deb --info "$deb" postinst > "$work/postinst" || fail "no postinst"
grep -q "udevadm control --reload-rules" "$work/postinst" || fail "the postinst does not reload the udev rules"
grep -q "udevadm trigger --subsystem-match=hidraw" "$work/postinst" || fail "the postinst does not trigger hidraw"
sh -n "$work/postinst" || fail "the postinst is not a valid shell script"
echo "PASS: package"
