#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian packages from the build tree with CPack, as
# scripts/package does from its Release tree, and checks them with lintian,
# which must find no error, and for what the services need: the units where
# systemd looks, naming the programs under /usr, and the simulator's options
# a conffile the site's edits survive in. Exits 77 (skipped) without
# lintian or dpkg-shlibdeps.
#   debian_test.sh BUILD_DIR
set -euo pipefail

build_dir=$1

for tool in lintian dpkg-shlibdeps dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: skipped"
        exit 77
    fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$tmp" -G DEB >"$tmp/cpack.log" 2>&1; then
    tail -n 40 "$tmp/cpack.log" >&2
    echo "FAIL: cpack failed" >&2
    exit 1
fi
runtime=("$tmp"/radarclient_*.deb)
development=("$tmp"/libradarglm-dev_*.deb)
if [ ! -f "${runtime[0]}" ] || [ ! -f "${development[0]}" ]; then
    ls "$tmp" >&2
    echo "FAIL: the two packages were not made" >&2
    exit 1
fi

# Root is warned about, not refused; the report lists every tag it finds.
report=$(lintian --fail-on none "${runtime[0]}" "${development[0]}" 2>/dev/null)
[ -z "$report" ] || echo "$report"
errors=$(grep '^E: ' <<<"$report" || true)
[ -z "$errors" ] || fail "lintian found errors:
$errors"

contents=$(dpkg-deb --contents "${runtime[0]}")
for path in ./usr/lib/systemd/system/radarsim.service ./usr/lib/systemd/user/radarclient.service \
    ./etc/default/radarsim ./usr/share/icons/hicolor/scalable/apps/radarclient.svg; do
    grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
dpkg-deb --ctrl-tarfile "${runtime[0]}" | tar -xO ./conffiles 2>/dev/null | grep -qx /etc/default/radarsim ||
    fail "/etc/default/radarsim is no conffile"
unit=$(dpkg-deb --fsys-tarfile "${runtime[0]}" | tar -xO ./usr/lib/systemd/system/radarsim.service)
grep -q '^ExecStart=/usr/bin/radarsim ' <<<"$unit" || fail "the unit does not run /usr/bin/radarsim"

finish_checks "Debian packages"
