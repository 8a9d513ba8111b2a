#!/usr/bin/env bash
# The installed programs work together as on a kiosk: the installed radarsim
# serves on a free loopback port, and the installed launcher starts the
# installed client with the user's settings on a private X server. The client
# must load its models and textures through the launcher's links, connect,
# ask for targets and close itself after timeToLive with status 0. (Had the
# settings or the connection failed, it would wait at a message box and run
# into the time limit; a model it could not open would end it with status 1.)
#   installed_client_test.sh BUILD_DIR
set -euo pipefail

build_dir=$1
readonly serverStartSeconds=10
readonly displayStartSeconds=10
readonly clientLimitSeconds=60
readonly timeToLiveSeconds=1

for tool in Xvfb timeout; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: skipped"
        exit 77
    fi
done

tmp=$(mktemp -d)
xvfb_pid=
sim_pid=
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

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
Xvfb -displayfd 5 -screen 0 1280x720x24 -nolisten tcp 5>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq $((displayStartSeconds * 10))); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || {
    cat "$tmp/xvfb.log" >&2
    echo "FAIL: Xvfb did not start" >&2
    exit 1
}
display=:$(head -n1 "$tmp/display")

# The files exist before the server starts, so polling them never races its redirections.
: >"$tmp/sim.out"
: >"$tmp/sim.err"
"$prefix/bin/radarsim" --address 127.0.0.1 --port 0 --targets 3 >>"$tmp/sim.out" 2>>"$tmp/sim.err" &
sim_pid=$!
port=
for _ in $(seq $((serverStartSeconds * 10))); do
    port=$(sed -n 's/^radarsim: listening on port \([0-9][0-9]*\)$/\1/p' "$tmp/sim.out")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || {
    cat "$tmp/sim.err" >&2
    echo "FAIL: the installed radarsim did not start listening" >&2
    exit 1
}

home=$tmp/home
mkdir -p "$home/.config/radarclient"
cat >"$home/.config/radarclient/clientSettings.xml" <<EOF
<settings>
    <host>127.0.0.1</host>
    <port>$port</port>
    <timeToLive>$timeToLiveSeconds</timeToLive>
</settings>
EOF

# In a sanitizer build the leak scan at exit stays off here: the GL driver is
# unloaded by then and its allocations cannot be told from the client's. The
# client's own tests own that check; memory errors are still caught.
status=0
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    env -u XDG_CONFIG_HOME -u XDG_CONFIG_DIRS -u XDG_STATE_HOME HOME="$home" DISPLAY="$display" \
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
served=false
for _ in $(seq $((serverStartSeconds * 10))); do
    if grep -q 'closed after [1-9][0-9]* blocks' "$tmp/sim.err"; then
        served=true
        break
    fi
    sleep 0.1
done
$served || {
    cat "$tmp/sim.err" >&2
    echo "FAIL: the server served no block to the client" >&2
    exit 1
}
echo "installed radarsim and radarclient ran together; the client closed after ${timeToLiveSeconds}s"
