#!/usr/bin/env bash
# The window appears at the top centre of the desktop with the generator lamp off, is dragged by its
# background and its title with the left button only, not by its controls; its level lamps move again once it
# is put back on the screen after being taken off it from outside; its close button ends the program.
source "$(dirname "$0")/lib.sh"

new_config_home
seed_settings "Value_L=100" # the level lamps move only at a volume above 0
start_murmex

step "top centre, outer size 808 x 608"
screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
want="$(((screen_width - 808) / 2)) 10 808 608"
[[ "$(geometry)" == "$want" ]] || fail "window at $(geometry), expected $want"

step "the generator lamp shows the stopped colour"
wait_pixel 761 41 0080C0 || fail "the lamp shows $(pixel 761 41), expected 0080C0"

step "left drag on the background moves the window"
read -r x0 y0 _ < <(geometry)
drag 1 460 300 100 50
read -r x1 y1 _ < <(geometry)
[[ "$x1 $y1" == "$((x0 + 100)) $((y0 + 50))" ]] || fail "after the drag at $x1 $y1, expected $((x0 + 100)) $((y0 + 50))"

step "left drag on the title moves the window"
drag 1 40 18 -60 30
read -r x2 y2 _ < <(geometry)
[[ "$x2 $y2" == "$((x1 - 60)) $((y1 + 30))" ]] || fail "after the title drag at $x2 $y2, expected $((x1 - 60)) $((y1 + 30))"

step "right and middle drags do not"
drag 3 460 300 120 80
drag 2 460 300 120 80
read -r x3 y3 _ < <(geometry)
[[ "$x3 $y3" == "$x2 $y2" ]] || fail "a right or middle drag moved the window to $x3 $y3"

step "a drag that starts on a picture control does not move the window"
drag 1 151 148 100 50
read -r x4 y4 _ < <(geometry)
[[ "$x4 $y4" == "$x3 $y3" ]] || fail "a drag from the first noise selector moved the window to $x4 $y4"

step "a held Enter starts the generator once: its repeats, however X reports them, do nothing"
xdotool windowfocus --sync "$WINDOW" keydown Return
wait_pixel 761 41 FF0000 || fail "Enter did not start the generator"
lamps=$(for _ in $(seq 30); do pixel 761 41; sleep 0.1; done | sort -u | tr '\n' ' ')
xdotool keyup Return
[[ "$lamps" == "FF0000 " ]] || fail "while Enter was held the lamp showed: $lamps"

step "taken off the screen from outside and put back, the level lamps move again"
xdotool windowunmap --sync "$WINDOW"
xdotool windowmap --sync "$WINDOW"
# The left column's ten lamps, 14 pixels apart.
column() { local y; for y in $(seq 140 14 266); do pixel 567 "$y"; done | tr -d '\n'; }
looks=$(for _ in $(seq 40); do column; echo; sleep 0.1; done | sort -u)
(($(wc -l <<<"$looks") > 1)) || fail "the level lamps stood still after the window came back: $looks"

step "a click on the close button ends the program"
click 785 16
expect_exit 0
