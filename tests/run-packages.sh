#!/usr/bin/env bash
# What the run command installs on a machine that has nothing yet: the run set of scripts/deps.sh, with all it
# pulls in as apt resolves it against an empty system, holds none of the tests' packages and no sound server.
#   tests/run-packages.sh SCRIPTS/DEPS.SH
set -euo pipefail
deps=$1
empty=$(mktemp)
trap 'rm -f "$empty"' EXIT

mapfile -t run < <(bash "$deps" --list run)
mapfile -t test < <(bash "$deps" --list test)
installs=$(apt-get -s -q -o Dir::State::status="$empty" install --no-install-recommends "${run[@]}" 2>&1) ||
    { echo "FAIL: apt cannot resolve the run set (run apt-get update first?): $installs" >&2; exit 1; }
installs=$(awk '$1 == "Inst" { print $2 }' <<<"$installs")
for p in "${run[@]}"; do
    grep -qx "$p" <<<"$installs" || { echo "FAIL: $p is not among what apt would install" >&2; exit 1; }
done

status=0
for p in $installs; do
    case " ${test[*]:${#run[@]}} " in
    *" $p "*) echo "FAIL: the run set pulls in the test package $p" >&2; status=1 ;;
    esac
    case "$p" in
    pulseaudio | pipewire | pipewire-pulse | wireplumber | jackd* | xserver-* | xvfb)
        echo "FAIL: the run set pulls in the server $p" >&2; status=1 ;;
    esac
done
echo "the run set installs $(wc -w <<<"$installs") packages on an empty system, none of the tests' own"
exit "$status"
