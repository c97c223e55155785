#!/bin/sh
# cpack -G DEB from this build, then the package's file list and menu entry.
set -eu
build=$1
cpack=$2
version=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" > "$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$tmp"/kvarsel_*.deb)
dpkg-deb -c "$deb" | awk '{print $NF}' > "$tmp/contents"
for path in ./usr/bin/kvarsel ./usr/bin/kvarsel-batch ./usr/bin/kvarsel-start ./usr/libexec/kvarsel/kvarsel-fit \
    ./usr/share/kvarsel/Readme.txt ./usr/share/kvarsel/User.dic ./usr/share/kvarsel/Windows.dic \
    ./usr/share/kvarsel/velmora.ini ./usr/share/kvarsel/Words.txt ./usr/share/kvarsel/Terms.txt \
    ./usr/share/man/man1/kvarsel.1 \
    ./usr/share/man/man1/kvarsel-batch.1 ./usr/share/man/man1/kvarsel-start.1 ./usr/share/applications/kvarsel.desktop \
    ./usr/share/doc/kvarsel/README.html ./usr/share/doc/kvarsel/docs/guide.html \
    ./usr/share/doc/kvarsel/docs/main-window.png; do
    grep -qx "$path" "$tmp/contents" || fail "$path missing from the package"
done
dpkg-deb -c "$deb" | grep -q '^-rwxr-xr-x .* ./usr/bin/kvarsel-start$' || fail "kvarsel-start is not executable"
dpkg-deb -x "$deb" "$tmp/root"
grep -qx 'Exec=kvarsel-start' "$tmp/root/usr/share/applications/kvarsel.desktop" || fail "the menu entry does not run kvarsel-start"
# The packaged kvarsel-batch and manual pages tell the version being packaged.
[ "$("$tmp/root/usr/bin/kvarsel-batch" --version)" = "kvarsel-batch $version" ] || fail "kvarsel-batch --version"
# fit is handed to kvarsel-fit, found from bin/ in libexec/kvarsel.
"$tmp/root/usr/bin/kvarsel-batch" fit --help | grep -q '^Использование: kvarsel-batch fit' ||
    fail "the packaged kvarsel-batch cannot run fit"
for page in kvarsel kvarsel-batch; do
    head -n 1 "$tmp/root/usr/share/man/man1/$page.1" | grep -q "Кварсел $version" ||
        fail "$page.1 names another version than $version"
done
dpkg-deb -f "$deb" Depends | grep -q 'hunspell-ru' || fail "the package does not depend on hunspell-ru"
dpkg-deb -f "$deb" Depends | grep -q 'libhunspell' || fail "the package does not depend on libhunspell"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-wine' || fail "the package does not depend on fonts-wine"
# The help window opens the documentation from bin/../share/doc/kvarsel.
grep -q '<title>Кварсел: руководство пользователя</title>' "$tmp/root/usr/share/doc/kvarsel/docs/guide.html" ||
    fail "guide.html is not the rendered guide"
echo "debian_package: all passed"
