# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The checks of the packaging shell tests, sourced by them: a failed check
# is one line on standard error and counts; finish_checks ends the test.

failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

check_eq() { # what actual expected
    [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# Exits 1 after any failed check, else says that WHAT passed.
finish_checks() { # what
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "$1: all checks passed"
}
