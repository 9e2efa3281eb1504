#!/bin/bash
# Packs the build folder with cpack, unpacks the .deb into a throwaway root and
# checks that it holds what a Debian user is promised and that its qelctl runs
# from there with its own private engine.
set -u
BUILD=${1:?usage: deb_test.sh BUILD_FOLDER VERSION}
VERSION=${2:?usage: deb_test.sh BUILD_FOLDER VERSION}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failed=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

if ! cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/out" -D CPACK_PACKAGING_INSTALL_PREFIX=/usr \
    >"$WORK/cpack.log" 2>&1; then
    cat "$WORK/cpack.log"
    exit 1
fi
DEB=$(ls "$WORK"/out/*.deb)
ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT" || exit 1

check "package version is the project's" [ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ]
check "depends on the help opener" bash -c "dpkg-deb -f '$DEB' Depends | grep -q xdg-utils"
check "no maintainer scripts or triggers" bash -c "! dpkg-deb -I '$DEB' | grep -Eq 'postinst|triggers|shlibs'"
engine=$(find "$ROOT/usr/lib" -name libqelisam.so)
check "engine is private to qel" bash -c "[[ '$engine' =~ /usr/lib/[a-z0-9_]+-linux-[a-z0-9_]+/qel/libqelisam.so$ ]]"
for f in usr/share/doc/qel/copyright usr/share/doc/qel/changelog.gz usr/share/doc/qel/qel-help.html \
    usr/share/man/man1/qel.1.gz usr/share/man/man1/qelctl.1.gz usr/share/bash-completion/completions/qelctl; do
    check "has /$f" [ -s "$ROOT/$f" ]
done

QELCTL=$ROOT/usr/bin/qelctl
check "qelctl --version" [ "$("$QELCTL" --version)" = "qelctl (Qel) $VERSION" ]
# Creating a database needs the engine: found only through the RUNPATH.
mkdir "$WORK/share"
check "qelctl finds its engine" "$QELCTL" --profile "$WORK/q.ini" --computer PC1 init "$WORK/share"
check "the database was made" [ -f "$WORK/share/QelDBase.isd" ]
exit $failed
