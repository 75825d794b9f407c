#!/usr/bin/env bash
# Builds the Debian package from the build folder $1, installs it with dpkg
# as users would, checks what it put where, starts the installed program
# offscreen, upgrades over edited settings and removes the package again.
# Needs root. Also checks that `cmake --install` keeps an existing Config.ini.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
checks=0
check() { # description, command...
    local what=$1 && shift
    "$@" || { echo "package test FAILED: $what" >&2; exit 1; }
    checks=$((checks + 1))
}

# A folder install keeps the user's settings.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in zpltest zplsink Config.ini README.md; do
    check "cmake --install puts $f in the folder" test -e "$prefix/$f"
done
echo "; edited by the user" >>"$prefix/Config.ini"
cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install keeps an edited Config.ini" grep -q "edited by the user" "$prefix/Config.ini"

(cd "$build" && rm -f zpltest_*.deb && cpack -G DEB >/dev/null)
deb="$build/zpltest_${version}_amd64.deb"
check "the package is named $(basename "$deb")" test -f "$deb"
check "the package carries the version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
# /opt belongs to the system: a package that lists it would remove it on purge.
package_files=$(dpkg-deb -c "$deb" | awk '{print $6}')
check "the package has /opt/zpltest" grep -qx './opt/zpltest/' <<<"$package_files"
check "the package does not list /opt itself" test -z "$(grep -x '\./opt/\?' <<<"$package_files")"

if dpkg-query -W -f='${Status}' zpltest 2>/dev/null | grep -q 'install ok installed'; then
    echo "zpltest is installed on this machine already; leaving it alone." >&2
    exit 1
fi
dpkg -i "$deb" >/dev/null
trap 'dpkg -P zpltest >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
for f in zpltest zplsink Config.ini README.md; do
    check "the package installs /opt/zpltest/$f" test -e "/opt/zpltest/$f"
done
check "dpkg does not count /opt as the package's" test -z "$(dpkg -L zpltest | grep -x /opt)"
desktop=/usr/share/applications/zpltest.desktop
check "a menu entry" test -f "$desktop"
check "its English name" grep -q '^Name=ZPL Print Test$' "$desktop"
check "its Chinese name" grep -q '^Name\[zh_CN\]=ZPL打印测试$' "$desktop"
check "it starts the installed program" grep -q '^Exec=/opt/zpltest/zpltest$' "$desktop"
check "its icon" test -f /usr/share/icons/hicolor/scalable/apps/zpltest.svg
check "Config.ini is a configuration file" \
    grep -q '/opt/zpltest/Config.ini' <(dpkg-query -W -f='${Conffiles}' zpltest)
check "zplsink tells the version" test "$(/opt/zpltest/zplsink --version)" = "zplsink $version"

# The installed program starts and keeps running until it is stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 /opt/zpltest/zpltest >/dev/null 2>&1 || status=$?
check "the installed program runs until stopped (exit $status)" test "$status" -eq 124

# An upgrade (here: the same package again) keeps the user's edits.
echo "; edited by the user" >>/opt/zpltest/Config.ini
dpkg -i "$deb" >/dev/null
check "reinstalling keeps the edited Config.ini" grep -q "edited by the user" /opt/zpltest/Config.ini

dpkg -r zpltest >/dev/null
check "removing takes the program away" test ! -e /opt/zpltest/zpltest
check "removing takes the menu entry away" test ! -e "$desktop"
dpkg -P zpltest >/dev/null
check "purging takes the settings away" test ! -e /opt/zpltest/Config.ini
check "purging leaves /opt" test -d /opt

echo "package: $checks passed, 0 failed"
