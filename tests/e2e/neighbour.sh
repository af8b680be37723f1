#!/usr/bin/env bash
# A hostile neighbour: another local user takes the names Murmex could be reached at before it starts, opens
# connections by the thousand, asks for the window while it is in the tray and sends a command through a socket
# opened to everyone. Murmex still starts, stays responsive, keeps its window put away, carries out nothing of
# the neighbour's and writes its settings at the end. A folder of the neighbour's where
# Murmex's last fallback for its socket would be is said on stderr. The script creates that user and
# removes it at the end, so it runs only as root.
source "$(dirname "$0")/lib.sh"

if (($(id -u) != 0)); then
    echo "SKIP: the neighbour is a second local user, and only root can create one"
    exit 77
fi
[[ -n "${UNIXPEER_BIN:-}" ]] || fail "UNIXPEER_BIN is not set"

readonly MINIMISE=(761 16) NOISE_6=(361 328)

neighbour=murmexnb$$
useradd --system --no-create-home --shell /usr/sbin/nologin "$neighbour" || fail "the user $neighbour was not created"
at_exit "userdel '$neighbour'"
# A folder the neighbour can reach, with its socket tool, and a runtime folder of its own, which Murmex is
# handed as if the desktop had set it up wrongly.
shared=$(mktemp -d /tmp/murmex-neighbour.XXXXXX)
at_exit "rm -rf '$shared'"
chmod 755 "$shared"
cp "$UNIXPEER_BIN" "$shared/unixpeer"
mkdir -m 700 "$shared/run"
chown "$neighbour:" "$shared/run"
export XDG_RUNTIME_DIR="$shared/run"

# Runs the socket tool as the neighbour, its output to FILE; sets NEIGHBOUR_PID.
neighbour_does() {
    local out=$1
    shift
    setpriv --reuid="$neighbour" --regid="$neighbour" --clear-groups "$shared/unixpeer" "$@" >"$out" 2>&1 &
    NEIGHBOUR_PID=$!
    own "$NEIGHBOUR_PID"
}

# Every name the neighbour could hope to reach Murmex at: a socket file in the runtime folder, and the abstract
# names that follow from it, from Qt's stand-in for a runtime folder that is not the user's, or from the
# working folder.
names=("$XDG_RUNTIME_DIR/murmex.instance" "@$XDG_RUNTIME_DIR/murmex.instance"
    "@/tmp/runtime-$(id -un)/murmex.instance" "@$PWD/murmex.instance")

step "the names are taken before Murmex starts: it starts all the same, elsewhere"
neighbour_does "$shared/listen.log" listen "${names[@]}"
[[ "$(first_line "$shared/listen.log")" == ready ]] || fail "the neighbour could not listen: $(cat "$shared/listen.log")"
new_config_home
start_murmex_copy
[[ -S "$HOME/.cache/murmex/murmex.instance" ]] || fail "the socket is not in the user's own cache folder"
kill "$NEIGHBOUR_PID"
names+=("$HOME/.cache/murmex/murmex.instance")

step "a show from the neighbour leaves the window in the tray"
click "${MINIMISE[@]}"
wait_map_state IsUnMapped || fail "the window is $(map_state) after minimise"
neighbour_does "$shared/say.log" say $'show\n' "${names[@]}"
wait "$NEIGHBOUR_PID" || fail "the neighbour's show failed: $(cat "$shared/say.log")"
cat "$shared/say.log"
# Nothing to wait for when all goes well: a request that got through would map the window within this time.
sleep 2
[[ "$(map_state)" == IsUnMapped ]] || fail "the neighbour brought the window back"

step "1,100 connections from the neighbour: Murmex answers its own user and writes its settings at SIGTERM"
neighbour_does "$shared/flood.log" flood 1100 "${names[@]}"
deadline=$((SECONDS + 60))
until grep -qx ready "$shared/flood.log"; do
    ((SECONDS < deadline)) || fail "the neighbour's connections did not end: $(cat "$shared/flood.log")"
    sleep 0.1
done
cat "$shared/flood.log"
timeout 60 "$PROGRAM" >"$MURMEX_TEST_TMP/second.$$.log" 2>&1 || fail "a second start failed: $(cat "$MURMEX_TEST_TMP/second.$$.log")"
wait_map_state IsViewable 10 || fail "a second start did not bring the window back while the neighbour held on"
click "${NOISE_6[@]}"
kill -TERM "$MURMEX_PID"
expect_exit 0
[[ "$(stored Noise_Num)" == 6 ]] || fail "Noise_Num is '$(stored Noise_Num)' after SIGTERM, expected 6"

step "a command from the neighbour is refused, even through a socket opened to everyone"
# The cache folder in a place the neighbour can pass through; the socket's own folder and file are opened after
# the start, so that only the running copy's check of who speaks stands in the neighbour's way.
export XDG_CACHE_HOME="$shared/cache"
mkdir -m 755 "$XDG_CACHE_HOME"
start_murmex "$PROGRAM"
chmod 755 "$XDG_CACHE_HOME/murmex"
chmod 777 "$XDG_CACHE_HOME/murmex/murmex.instance"
neighbour_does "$shared/command.log" say $'run --play\n' "$XDG_CACHE_HOME/murmex/murmex.instance"
wait "$NEIGHBOUR_PID" || fail "the neighbour's command failed: $(cat "$shared/command.log")"
grep -qE ': (said|hung up on)$' "$shared/command.log" ||
    fail "the neighbour did not reach the socket: $(cat "$shared/command.log")"
# Nothing to wait for when all goes well: a command that got through would have started the noise by then.
sleep 2
# A folder that others may enter is none to look for the socket in.
chmod 700 "$XDG_CACHE_HOME/murmex"
status=$(timeout 20 "$PROGRAM" --status) || fail "the copy's own user got no status"
grep -qx 'state: stopped' <<<"$status" || fail "after the neighbour's command: $status"
close_murmex

step "the neighbour's folder where the last fallback would be: Murmex says so once and runs"
fallback="$shared/murmex-$(id -u)"
mkdir -m 700 "$fallback"
chown "$neighbour:" "$fallback"
# Neither the runtime folder (the neighbour's) nor the cache folder (its path too long for a socket) will do.
export XDG_CACHE_HOME="/tmp/$(printf 'c%.0s' $(seq 120))" TMPDIR="$shared"
start_murmex "$PROGRAM"
said=$(grep -cxF "Murmex: cannot make a private folder of this user's own at $fallback, so nothing keeps a second copy from starting" \
    "$MURMEX_TEST_TMP/murmex.$$.log" || true)
((said == 1)) || fail "the neighbour's folder was said $said times: $(cat "$MURMEX_TEST_TMP/murmex.$$.log")"
close_murmex
