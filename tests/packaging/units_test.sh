#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The systemd units as `cmake --install` makes them for a prefix: they name
# the installed programs and environment file, systemd-analyze verifies them
# clean (their manual pages included), and the installed environment file
# holds options the installed radarsim serves with. Exits 77 (skipped)
# without systemd-analyze.
#   units_test.sh BUILD_DIR HELPERS (scripts/lib/common.sh of the source tree)
set -euo pipefail

build_dir=$1
source "$2"

if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze is not installed: skipped"
    exit 77
fi

harness_begin
tmp=$HARNESS_WORK
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

prefix="$tmp/prefix"
if ! cmake --install "$build_dir" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    tail -n 40 "$tmp/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi
system_unit=$prefix/lib/systemd/system/radarsim.service
user_unit=$prefix/lib/systemd/user/radarclient.service
environment=$prefix/etc/default/radarsim

grep -qx "ExecStart=$prefix/bin/radarsim .*" "$system_unit" ||
    fail "the simulator's unit does not run the installed radarsim: $(grep ExecStart "$system_unit")"
grep -qx "EnvironmentFile=$environment" "$system_unit" ||
    fail "the simulator's unit does not read $environment"
grep -qx "ExecStart=$prefix/bin/radarclient-launch --kiosk" "$user_unit" ||
    fail "the kiosk unit does not run the installed launcher in kiosk mode"

# The manual pages named in Documentation= must be found, as installed.
export MANPATH="$prefix/share/man:"
# A user manager's paths need a runtime directory, which a test has not.
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
for unit in "$system_unit" "--user $user_unit"; do
    # shellcheck disable=SC2086
    if ! report=$(systemd-analyze verify $unit 2>&1) || [ -n "$report" ]; then
        fail "systemd-analyze verify $unit: $report"
    fi
done

# The service's options, as its unit passes them, are ones radarsim takes
# (on a free port here).
# shellcheck disable=SC1090
source "$environment"
[[ "${RADARSIM_PORT:-}" =~ ^[0-9]+$ ]] || fail "$environment sets no port"
# shellcheck disable=SC2086
start_radarsim "$prefix/bin/radarsim" ${RADARSIM_OPTIONS:-} ||
    fail "radarsim does not serve with the options of $environment"

finish_checks "systemd units"
