# SPDX-License-Identifier: MIT
# Runs the real programs for the scripts and the shell tests: a private
# virtual display (with a window manager when asked), radarsim on a free
# loopback port, the client's settings and working directory, and the
# clean-up of everything started here. Sourced by common.sh; needs its log.
#
#   harness_begin                       scratch folder HARNESS_WORK; clean-up at exit
#   start_virtual_display [OPTIONS]     exports DISPLAY (see with_virtual_display)
#   start_radarsim PROGRAM [ARGS...]    sets SIM_PID, SIM_PORT, SIM_LOG
#   prepare_client_dir DIR RUN_DIR PORT [TIME_TO_LIVE]
#   start_client DIR PROGRAM [VAR=VALUE...]   sets CLIENT_PID, CLIENT_LOG

VIRTUAL_SCREEN="1280x720x24"
HARNESS_START_SECONDS=30 # generous: a loaded machine starts X and a sanitizer build slowly
HARNESS_POLL_SECONDS=0.1

HARNESS_PIDS=()
HARNESS_WORK=""

# A scratch folder in HARNESS_WORK; at exit every process started through
# these helpers that still runs ends (the last started first), and the
# folder goes.
harness_begin() {
    HARNESS_WORK="$(mktemp -d)"
    trap harness_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

harness_cleanup() {
    # Only this shell's running jobs: the number of one that has ended may
    # belong to another process by now.
    local running i ended=()
    running=" $(jobs -pr | tr '\n' ' ') "
    for ((i = ${#HARNESS_PIDS[@]} - 1; i >= 0; i--)); do
        [[ $running == *" ${HARNESS_PIDS[i]} "* ]] || continue
        kill "${HARNESS_PIDS[i]}" 2>/dev/null || true
        ended+=("${HARNESS_PIDS[i]}")
    done
    for i in "${ended[@]}"; do
        wait "$i" 2>/dev/null || true
    done
    HARNESS_PIDS=()
    [ -z "$HARNESS_WORK" ] || rm -rf "$HARNESS_WORK"
}

# Polls COMMAND until it succeeds; false when process PID ends first (after
# one last look) or after HARNESS_START_SECONDS.
wait_until() { # pid command...
    local pid="$1" deadline=$((SECONDS + HARNESS_START_SECONDS))
    shift
    while [ "$SECONDS" -le "$deadline" ]; do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || {
            "$@"
            return
        }
        sleep "$HARNESS_POLL_SECONDS"
    done
    return 1
}

# Waits until process PID has ended, at most SECONDS; false if it still runs.
wait_for_exit() { # pid seconds
    local deadline=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null; do
        [ "$SECONDS" -le "$deadline" ] || return 1
        sleep "$HARNESS_POLL_SECONDS"
    done
}

# start_virtual_display [--window-manager] [--black-root]
# Starts Xvfb (no TCP, no reset) on a free display and exports DISPLAY.
# --window-manager: matchbox, so that a full-screen window fills the
# screen; it has taken the display when this returns. --black-root: the
# screen is black until a window shows.
# -noreset: the server would otherwise reset whenever its last client
# leaves, and a program connecting during the reset fails.
start_virtual_display() {
    local manager=0 options=()
    while [ $# -gt 0 ]; do
        case "$1" in
        --window-manager) manager=1 ;;
        --black-root) options+=(-br) ;;
        *)
            log "start_virtual_display: unknown option $1"
            return 2
            ;;
        esac
        shift
    done
    local number="$HARNESS_WORK/display"
    Xvfb -displayfd 9 -screen 0 "$VIRTUAL_SCREEN" -nolisten tcp -noreset "${options[@]}" \
        9>"$number" 2>"$HARNESS_WORK/xvfb.log" &
    local server=$!
    HARNESS_PIDS+=("$server")
    if ! wait_until "$server" test -s "$number"; then
        cat "$HARNESS_WORK/xvfb.log" >&2
        log "the virtual display did not start"
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$number")"
    unset XAUTHORITY
    [ "$manager" -eq 0 ] || start_window_manager
}

window_manager_announced() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# The window manager is up once it announces itself on the root window.
# Under load it has been seen to quit at once; it is then started again.
start_window_manager() {
    local deadline=$((SECONDS + HARNESS_START_SECONDS)) pid=""
    while [ "$SECONDS" -le "$deadline" ]; do
        if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
            matchbox-window-manager -use_titlebar no >/dev/null 2>"$HARNESS_WORK/wm.log" &
            pid=$!
            HARNESS_PIDS+=("$pid")
        fi
        window_manager_announced && return 0
        sleep "$HARNESS_POLL_SECONDS"
    done
    cat "$HARNESS_WORK/wm.log" >&2
    log "no window manager on $DISPLAY"
    return 1
}

# Runs a command on a private virtual display (1280 x 720) of its own,
# which ends with it; the options are start_virtual_display's.
with_virtual_display() { # [--window-manager] [--black-root] command...
    local options=()
    while [ $# -gt 0 ]; do
        case "$1" in
        --window-manager | --black-root) options+=("$1") ;;
        *) break ;;
        esac
        shift
    done
    (
        harness_begin
        start_virtual_display "${options[@]}" || exit 1
        "$@"
    )
}

# Sets SIM_PORT from radarsim's "listening on port N" line in FILE.
read_listening_port() { # file
    SIM_PORT="$(sed -n 's/^radarsim: listening on port \([0-9][0-9]*\)$/\1/p' "$1")"
    [ -n "$SIM_PORT" ]
}

# Starts radarsim on a free loopback port and reads the port it listens on;
# its log (standard error) goes to SIM_LOG.
start_radarsim() { # program [args...]
    local program="$1" out="$HARNESS_WORK/radarsim.out"
    shift
    SIM_LOG="$HARNESS_WORK/radarsim.log"
    "$program" --address 127.0.0.1 --port 0 "$@" >"$out" 2>"$SIM_LOG" &
    SIM_PID=$!
    HARNESS_PIDS+=("$SIM_PID")
    if ! wait_until "$SIM_PID" read_listening_port "$out"; then
        cat "$SIM_LOG" >&2
        log "the simulator did not start"
        return 1
    fi
}

# The client's settings in DIR: radarsim on this machine at PORT, and the
# run time limit in seconds (0: none).
write_client_settings() { # dir port [time-to-live]
    cat >"$1/clientSettings.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<settings>
    <host>127.0.0.1</host>
    <port>$2</port>
    <timeToLive>${3:-0}</timeToLive>
</settings>
EOF
}

# A working directory for the client: the run directory's models and
# textures linked in, and its settings.
prepare_client_dir() { # dir run-dir port [time-to-live]
    mkdir -p "$1"
    ln -s "$2/mdl" "$1/mdl"
    ln -s "$2/textures" "$1/textures"
    write_client_settings "$1" "$3" "${4:-0}"
}

# Starts the client in DIR with the given variables added to its
# environment; its output goes to CLIENT_LOG.
start_client() { # dir program [VAR=VALUE...]
    local dir="$1" program="$2"
    shift 2
    CLIENT_LOG="$HARNESS_WORK/radarclient.log"
    (cd "$dir" && exec env "$@" "$program") >"$CLIENT_LOG" 2>&1 &
    CLIENT_PID=$!
    HARNESS_PIDS+=("$CLIENT_PID")
}
