#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The installed programs work together as on a kiosk: the installed radarsim
# serves on a free loopback port, and the installed launcher starts the
# installed client with the user's settings on a private X server. The client
# must load its models and textures through the launcher's links, connect,
# ask for targets and close itself after timeToLive with status 0. (Had the
# settings or the connection failed, it would wait at a message box and run
# into the time limit; a model it could not open would end it with status 1.)
#   installed_client_test.sh BUILD_DIR HELPERS (scripts/lib/common.sh of the source tree)
set -euo pipefail

build_dir=$1
source "$2"
readonly clientLimitSeconds=60
readonly timeToLiveSeconds=1

for tool in Xvfb timeout; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: skipped"
        exit 77
    fi
done

harness_begin
tmp=$HARNESS_WORK
prefix=$tmp/prefix
if ! cmake --install "$build_dir" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    tail -n 40 "$tmp/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi
[ -x "$prefix/bin/radarsim" ] || {
    echo "FAIL: radarsim is not installed" >&2
    exit 1
}

# A private display: the client's full-screen window must not cover the
# windows of tests running beside this one.
start_virtual_display || {
    echo "FAIL: Xvfb did not start" >&2
    exit 1
}
start_radarsim "$prefix/bin/radarsim" --targets 3 || {
    echo "FAIL: the installed radarsim did not start listening" >&2
    exit 1
}

home=$tmp/home
mkdir -p "$home/.config/radarclient"
write_client_settings "$home/.config/radarclient" "$SIM_PORT" "$timeToLiveSeconds"

# In a sanitizer build the leak scan at exit stays off here: the GL driver is
# unloaded by then and its allocations cannot be told from the client's. The
# client's own tests own that check; memory errors are still caught.
status=0
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    env -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS -u XDG_STATE_HOME HOME="$home" \
    timeout "$clientLimitSeconds" "$prefix/bin/radarclient-launch" >"$tmp/client.out" \
    2>"$tmp/client.err" || status=$?
if [ "$status" -ne 0 ]; then
    tail -n 40 "$tmp/client.out" "$tmp/client.err" >&2
    if [ "$status" -eq 124 ]; then
        echo "FAIL: the client did not close by itself (settings or connection failed?)" >&2
    else
        echo "FAIL: the client ended with status $status" >&2
    fi
    exit 1
fi
if grep -q "glm" "$tmp/client.out" "$tmp/client.err"; then
    tail -n 40 "$tmp/client.out" "$tmp/client.err" >&2
    echo "FAIL: the model library complained" >&2
    exit 1
fi
# The server logs each client when it goes; at least one block must have been served.
if ! wait_until "$SIM_PID" grep -q 'closed after [1-9][0-9]* blocks' "$SIM_LOG"; then
    cat "$SIM_LOG" >&2
    echo "FAIL: the server served no block to the client" >&2
    exit 1
fi
echo "installed radarsim and radarclient ran together; the client closed after ${timeToLiveSeconds}s"
