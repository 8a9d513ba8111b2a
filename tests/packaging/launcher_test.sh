#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs radarclient-launch from a scratch prefix whose radarclient is a
# stand-in that reports where and how it was started, under a scratch HOME
# (with a blank in its path) and without the caller's XDG variables; with
# --kiosk, the stand-in follows a plan of exits and the launcher must start
# it again after the right pauses, stop on status 0 and 2, and stop it on
# SIGTERM.
#   launcher_test.sh PATH_TO_LAUNCHER
set -euo pipefail

launcher_src=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

make_prefix() { # dir
    mkdir -p "$1/bin" "$1/share/radarclient/mdl" "$1/share/radarclient/textures"
    cp "$launcher_src" "$1/bin/radarclient-launch"
    chmod +x "$1/bin/radarclient-launch"
    echo "<settings><host>example</host></settings>" >"$1/share/radarclient/clientSettings.xml"
    echo "v 0 0 0" >"$1/share/radarclient/mdl/radar2.obj"
    echo "png" >"$1/share/radarclient/textures/person.png"
    # The stand-in client: its working directory, its arguments and the
    # settings it would read.
    cat >"$1/bin/radarclient" <<'EOF'
#!/bin/sh
{
    echo "cwd=$(pwd)"
    echo "args=$*"
    echo "settings=$(cat clientSettings.xml)"
    echo "model=$(cat mdl/radar2.obj)"
} >"$STANDIN_REPORT"
[ -z "${STANDIN_PLAN:-}" ] || . "$STANDIN_RUNS"
exit 7
EOF
    chmod +x "$1/bin/radarclient"
}

prefix=$tmp/usr
make_prefix "$prefix"
home="$tmp/home of kiosk"
mkdir -p "$home"
work=$home/.local/state/radarclient
report=$tmp/report

launch() { # launcher [args...]: runs with a clean environment plus EXTRA_ENV
    local launcher=$1
    shift
    # shellcheck disable=SC2086
    env -i HOME="$home" PATH=/usr/bin:/bin STANDIN_REPORT="$report" ${EXTRA_ENV:-} \
        "$launcher" "$@"
}
EXTRA_ENV=

# --- no settings of the user's: the example, links to the data ---
out=$(launch "$prefix/bin/radarclient-launch" --prepare-only)
check_eq "printed directory" "$out" "$work"
check_eq "settings without a user file" "$(cat "$work/clientSettings.xml")" \
    "$(cat "$prefix/share/radarclient/clientSettings.xml")"
[ -L "$work/clientSettings.xml" ] && fail "the settings are a link, not a copy"
check_eq "mdl link" "$(readlink "$work/mdl")" "$prefix/share/radarclient/mdl"
check_eq "textures link" "$(readlink "$work/textures")" "$prefix/share/radarclient/textures"
[ -e "$report" ] && fail "--prepare-only started the client"

# --- the user's settings win, and each start refreshes the copy ---
mkdir -p "$home/.config/radarclient"
echo "<settings><host>mine</host></settings>" >"$home/.config/radarclient/clientSettings.xml"
launch "$prefix/bin/radarclient-launch" --prepare-only >/dev/null
check_eq "user settings" "$(cat "$work/clientSettings.xml")" "<settings><host>mine</host></settings>"
echo "<settings><host>edited</host></settings>" >"$home/.config/radarclient/clientSettings.xml"
launch "$prefix/bin/radarclient-launch" --prepare-only >/dev/null
check_eq "edited user settings" "$(cat "$work/clientSettings.xml")" \
    "<settings><host>edited</host></settings>"

# --- system-wide settings in XDG_CONFIG_DIRS come after the user's ---
mkdir -p "$tmp/etc/xdg/radarclient"
echo "<settings><host>site</host></settings>" >"$tmp/etc/xdg/radarclient/clientSettings.xml"
EXTRA_ENV="XDG_CONFIG_DIRS=relative/ignored:$tmp/nothing:$tmp/etc/xdg"
launch "$prefix/bin/radarclient-launch" --prepare-only >/dev/null
check_eq "user settings over site settings" "$(cat "$work/clientSettings.xml")" \
    "<settings><host>edited</host></settings>"
rm "$home/.config/radarclient/clientSettings.xml"
launch "$prefix/bin/radarclient-launch" --prepare-only >/dev/null
check_eq "site settings" "$(cat "$work/clientSettings.xml")" "<settings><host>site</host></settings>"
EXTRA_ENV=
launch "$prefix/bin/radarclient-launch" --prepare-only >/dev/null
check_eq "example again once the others are gone" "$(cat "$work/clientSettings.xml")" \
    "$(cat "$prefix/share/radarclient/clientSettings.xml")"

# --- XDG_STATE_HOME moves the working directory; a relative one is ignored ---
EXTRA_ENV="XDG_STATE_HOME=$tmp/state"
check_eq "XDG_STATE_HOME" "$(launch "$prefix/bin/radarclient-launch" --prepare-only)" \
    "$tmp/state/radarclient"
[ -f "$tmp/state/radarclient/clientSettings.xml" ] || fail "nothing prepared in XDG_STATE_HOME"
EXTRA_ENV="XDG_STATE_HOME=state"
check_eq "relative XDG_STATE_HOME" "$(launch "$prefix/bin/radarclient-launch" --prepare-only)" \
    "$work"
EXTRA_ENV=

# --- starting the client: in the directory, with the arguments, its status ---
rm -f "$report"
status=0
launch "$prefix/bin/radarclient-launch" -- -display ":9 x" --prepare-only || status=$?
check_eq "client exit status passed on" "$status" 7
if [ -f "$report" ]; then
    check_eq "client working directory" "$(sed -n 's/^cwd=//p' "$report")" "$work"
    check_eq "client arguments" "$(sed -n 's/^args=//p' "$report")" "-display :9 x --prepare-only"
    check_eq "client reads the model" "$(sed -n 's/^model=//p' "$report")" "v 0 0 0"
else
    fail "the client was not started"
fi

# --- a moved prefix, reached through a symbolic link on PATH ---
mv "$prefix" "$tmp/relocated"
mkdir -p "$tmp/links"
ln -s "$tmp/relocated/bin/radarclient-launch" "$tmp/links/radarclient-launch"
rm -f "$report"
status=0
env -i HOME="$home" PATH="$tmp/links:/usr/bin:/bin" STANDIN_REPORT="$report" \
    radarclient-launch || status=$?
check_eq "moved prefix: client started" "$status" 7
check_eq "stale mdl link replaced" "$(readlink "$work/mdl")" "$tmp/relocated/share/radarclient/mdl"

# --- a real data directory in the working directory is the site's own ---
rm "$work/textures"
mkdir "$work/textures"
echo "own" >"$work/textures/person.png"
launch "$tmp/relocated/bin/radarclient-launch" --prepare-only >/dev/null
[ -L "$work/textures" ] && fail "the site's own textures directory was replaced"
check_eq "own texture kept" "$(cat "$work/textures/person.png")" "own"

# --- failures: a clear message, status 1, no client ---
rm -rf "$work/textures"
touch "$work/textures"
rm -f "$report"
status=0
err=$(launch "$tmp/relocated/bin/radarclient-launch" 2>&1 >/dev/null) || status=$?
check_eq "file in the way: status" "$status" 1
[[ "$err" == *"$work/textures is in the way"* ]] || fail "file in the way: message '$err'"
rm "$work/textures"

rm -f "$work/clientSettings.xml"
mkdir "$work/clientSettings.xml"
status=0
err=$(launch "$tmp/relocated/bin/radarclient-launch" 2>&1 >/dev/null) || status=$?
check_eq "settings directory in the way: status" "$status" 1
[[ "$err" == *"$work/clientSettings.xml is in the way"* ]] ||
    fail "settings directory in the way: message '$err'"
[ -e "$report" ] && fail "the client was started without its settings"
rmdir "$work/clientSettings.xml"

rm -rf "$tmp/relocated/share/radarclient/mdl"
status=0
err=$(launch "$tmp/relocated/bin/radarclient-launch" 2>&1 >/dev/null) || status=$?
check_eq "missing data: status" "$status" 1
[[ "$err" == *"share/radarclient/mdl is missing"* ]] || fail "missing data: message '$err'"
[ -e "$report" ] && fail "the client was started without its data"

status=0
err=$(env -i PATH=/usr/bin:/bin "$tmp/relocated/bin/radarclient-launch" 2>&1 >/dev/null) ||
    status=$?
check_eq "no HOME: status" "$status" 1
[[ "$err" == *"neither HOME nor XDG_STATE_HOME is set"* ]] || fail "no HOME: message '$err'"

# --- kiosk supervision ---
# Each run of the stand-in logs its start time in ms and its arguments, then
# does the next step of STANDIN_PLAN (comma-separated): exit with a status,
# "long:STATUS" to exit after a run longer than the steady time, "segv" to
# die by SIGSEGV as a crash does, or "wait" to run until SIGTERM; beyond the
# plan, it exits 0.
launcher=$tmp/relocated/bin/radarclient-launch
mkdir -p "$tmp/relocated/share/radarclient/mdl"
echo "v 0 0 0" >"$tmp/relocated/share/radarclient/mdl/radar2.obj"
runs=$tmp/runs
cat >"$tmp/runs.sh" <<'EOF'
# Set before the start is logged, which the test waits for to send SIGTERM.
trap 'echo TERM >>"$STANDIN_LOG.signals"; exit 143' TERM
run=$(($(grep -c . "$STANDIN_LOG" 2>/dev/null || true) + 1))
echo "$(date +%s%3N) $*" >>"$STANDIN_LOG"
step=$(echo "$STANDIN_PLAN," | cut -d, -f"$run")
case "$step" in
'') exit 0 ;; # beyond the plan: a launcher that went on stops here
long:*) sleep "$STANDIN_LONG_SECONDS"; exit "${step#long:}" ;;
segv) kill -SEGV $$ ;;
wait)
    while :; do sleep 0.05; done
    ;;
esac
exit "$step"
EOF
first_ms=100
longest_ms=400
steady_ms=4000
long_seconds=4.1 # over steady_ms, which a short run stays far below even on a loaded machine
test_pace="RADARCLIENT_LAUNCH_FIRST_PAUSE_MS=$first_ms RADARCLIENT_LAUNCH_LONGEST_PAUSE_MS=$longest_ms"
test_pace+=" RADARCLIENT_LAUNCH_STEADY_RUN_MS=$steady_ms"
pace=$test_pace
stamped='^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}[+-][0-9]{2}:[0-9]{2} radarclient-launch: '
kiosk_log=$tmp/kiosk.log

kiosk() { # plan launcher-options...: runs the launcher to its end, sets status
    local plan=$1
    shift
    rm -f "$runs" "$runs.signals"
    status=0
    EXTRA_ENV="STANDIN_RUNS=$tmp/runs.sh STANDIN_LOG=$runs STANDIN_LONG_SECONDS=$long_seconds"
    EXTRA_ENV+=" STANDIN_PLAN=$plan $pace"
    if [ "$plan" = wait ]; then
        # shellcheck disable=SC2086
        env -i HOME="$home" PATH=/usr/bin:/bin STANDIN_REPORT="$report" $EXTRA_ENV \
            "$launcher" "$@" >/dev/null 2>"$kiosk_log" &
    else
        launch "$launcher" "$@" >/dev/null 2>"$kiosk_log" || status=$?
    fi
    EXTRA_ENV=
}
runs_made() {
    if [ -f "$runs" ]; then grep -c . "$runs"; else echo 0; fi
}

# Pauses double up to the longest and start over after a long run, a crash
# counting as a failed run; status 0 stops.
kiosk 5,4,3,segv,long:5,5,0 --kiosk 7 -- -display :9
check_eq "kiosk: status after the client closed" "$status" 0
check_eq "kiosk: runs" "$(runs_made)" 7
check_eq "kiosk: client arguments" "$(cut -d' ' -f2- "$runs" | sort -u)" "--kiosk 7 -display :9"
pauses=$(sed -n 's/.*starting it again in \([0-9.]*\) s$/\1/p' "$kiosk_log" | tr '\n' ' ')
check_eq "kiosk: pauses" "$pauses" "0.100 0.200 0.400 0.400 0.100 0.200 "
ends=$(sed -n 's/.*radarclient-launch: radarclient \(.*\) after [0-9.]* s$/\1/p' "$kiosk_log" | tr '\n' ,)
check_eq "kiosk: ends logged" "$ends" "exited with status 5,exited with status 4,exited with status 3,\
was killed by SIGSEGV,exited with status 5,exited with status 5,exited with status 0,"
if grep -Evq "$stamped" "$kiosk_log"; then
    fail "kiosk: log lines without the time stamp: $(grep -Ev "$stamped" "$kiosk_log")"
fi
# Every start comes at least its pause after the one before, however late.
read -r -a pause_list <<<"$pauses"
mapfile -t starts < <(cut -d' ' -f1 "$runs")
for ((i = 1; i < ${#starts[@]}; i++)); do
    pause_ms=$(awk -v s="${pause_list[i - 1]}" 'BEGIN { printf "%d", s * 1000 }')
    gap_ms=$((starts[i] - starts[i - 1]))
    [ "$gap_ms" -ge "$pause_ms" ] ||
        fail "kiosk: start $((i + 1)) came $gap_ms ms after the one before, within its pause of $pause_ms ms"
done

# Options the client refuses (status 2) end the supervision too; without
# seconds the client's own default box time holds.
kiosk 2 --kiosk
check_eq "kiosk: status after invalid options" "$status" 2
check_eq "kiosk: one run with the default box time" "$(cut -d' ' -f2- "$runs")" "--kiosk"

# A pace that is no number of milliseconds is refused before any start.
pace="RADARCLIENT_LAUNCH_STEADY_RUN_MS=1m"
kiosk 5 --kiosk
check_eq "kiosk: status with a bad pace" "$status" 1
check_eq "kiosk: runs with a bad pace" "$(runs_made)" 0
grep -q 'RADARCLIENT_LAUNCH_\*_MS variables take milliseconds, not "1m"' "$kiosk_log" ||
    fail "kiosk: bad pace message '$(cat "$kiosk_log")'"
pace=$test_pace

# SIGTERM ends the client and then the launcher, which starts nothing more.
kiosk wait --kiosk
pid=$!
for ((i = 0; i < 200; i++)); do
    [ "$(runs_made)" -eq 0 ] || break
    sleep 0.1
done
kill -TERM "$pid"
for ((i = 0; i < 200; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "kiosk: the launcher outlived SIGTERM"
    kill -KILL "$pid"
fi
status=0
wait "$pid" || status=$?
check_eq "kiosk: launcher ended by SIGTERM" "$status" 143
check_eq "kiosk: SIGTERM passed to the client" "$(cat "$runs.signals" 2>/dev/null)" TERM
check_eq "kiosk: runs after SIGTERM" "$(runs_made)" 1
grep -q 'radarclient-launch: stopped by SIGTERM$' "$kiosk_log" || fail "kiosk: no stop logged"

finish_checks "launcher"
