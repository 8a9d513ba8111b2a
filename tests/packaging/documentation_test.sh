#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The manual pages render without groff warnings and document exactly the
# options the programs accept, and the client's page its version; the
# desktop entry is valid, runs the launcher and has its icon. Exits 77
# (skipped) when man itself is not installed.
#   documentation_test.sh PACKAGING_DIR PATH_TO_RADARCLIENT [PATH_TO_RADARSIM [PATH_TO_RADARPROBE]]
set -euo pipefail

packaging=$1
radarclient=$2
radarsim=${3:-}
radarprobe=${4:-}
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

if ! command -v man >/dev/null; then
    echo "man is not installed: skipped"
    exit 77
fi

pages=(radarclient radarclient-launch)
[ -n "$radarsim" ] && pages+=(radarsim)
[ -n "$radarprobe" ] && pages+=(radarprobe)
for page in "${pages[@]}"; do
    file=$packaging/man/$page.1
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1 renders with warnings: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$file" 2>/dev/null)
    for section in NAME SYNOPSIS DESCRIPTION "SEE ALSO"; do
        grep -q "^$section\$" <<<"$text" || fail "$page.1 has no $section section"
    done
done

# Long options named in a help text, and in the synopsis and options of a
# manual page's source (other sections show other commands' options too).
help_options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
page_options() {
    sed -n '/^\.SH SYNOPSIS/,/^\.SH DESCRIPTION/p; /^\.SH OPTIONS/,/^\.SH [^O]/p' "$1" |
        grep -o -- '\\-\\-[a-z][a-z\\-]*' | sed 's/\\-/-/g' | sort -u
}

compare_options() { # name help-text page
    local in_help in_page
    in_help=$(help_options <<<"$2")
    in_page=$(page_options "$3")
    [ -n "$in_help" ] || fail "$1 --help names no options"
    local undocumented unknown
    undocumented=$(comm -23 <(echo "$in_help") <(echo "$in_page"))
    unknown=$(comm -13 <(echo "$in_help") <(echo "$in_page"))
    [ -z "$undocumented" ] || fail "$1.1 does not document: $undocumented"
    [ -z "$unknown" ] || fail "$1.1 documents options $1 does not have: $unknown"
}

compare_options radarclient-launch "$(sh "$packaging/radarclient-launch" --help)" \
    "$packaging/man/radarclient-launch.1"
# Help and version need no display.
compare_options radarclient "$(env -u DISPLAY "$radarclient" --help)" "$packaging/man/radarclient.1"
version=$(env -u DISPLAY "$radarclient" --version)
grep -q "^\.TH RADARCLIENT 1 [0-9]* \"$version\"" "$packaging/man/radarclient.1" ||
    fail "radarclient.1 is not the page of $version"
if [ -n "$radarsim" ]; then
    compare_options radarsim "$("$radarsim" --help)" "$packaging/man/radarsim.1"
fi
if [ -n "$radarprobe" ]; then
    compare_options radarprobe "$("$radarprobe" --help)" "$packaging/man/radarprobe.1"
fi

desktop=$packaging/radarclient.desktop
if command -v desktop-file-validate >/dev/null; then
    report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry invalid: $report"
    [ -z "$report" ] || fail "desktop entry has hints: $report"
else
    echo "desktop-file-validate is not installed: only the entry's keys are checked"
fi
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is no application"
grep -qx 'Exec=radarclient-launch' "$desktop" || fail "desktop entry does not run the launcher"
grep -qx 'Terminal=false' "$desktop" || fail "desktop entry opens a terminal"
icon=$(sed -n 's/^Icon=//p' "$desktop")
grep -q '<svg ' "$packaging/$icon.svg" 2>/dev/null || fail "desktop entry's icon '$icon' is no SVG of ours"

finish_checks "manual pages and desktop entry"
