#!/usr/bin/env bash
# The tray: minimise while playing puts the window away and the icon into the tray host while the sound goes
# on; a double click on the icon brings the window back as on its first show; the icon comes back when the
# tray host starts again; the icon's menu ends the program, which stores its settings; and without a tray
# host the window stays within reach.
source "$(dirname "$0")/lib.sh"

readonly LAMP=(760 41) GENERATOR=(107 535) MINIMISE=(761 16) NOISE_6=(361 328) OPTIONS_TAB=(723 371)
readonly SETTINGS_AREA="278x147+498+343" # the tabs and the page below them, window-relative
SHOTS=${MURMEX_TEST_SHOTS:-$MURMEX_TEST_TMP}
mkdir -p "$SHOTS"

# Saves the screen area WxH+X+Y (absolute) to FILE.
shot() {
    import -window root -crop "$1" +repage "$2" 2>/dev/null || fail "no screenshot of $1"
}

# Saves the window's settings area to FILE.
shot_settings() {
    local ox oy w h x y _
    read -r ox oy _ < <(geometry)
    IFS='x+' read -r w h x y <<<"$SETTINGS_AREA"
    shot "${w}x${h}+$((ox + x))+$((oy + y))" "$1"
}

# Differing pixels between two pictures of the same size.
differ() {
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

# Moves the pointer onto the middle of the icon at "X Y W H", without waiting on a move that is no move.
point_at_icon() {
    local x y w h
    read -r x y w h <<<"$1"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2
}

double_click_icon() {
    point_at_icon "$1"
    xdotool click --repeat 2 --delay 60 1
}

# A shown window of Murmex other than the main window and the icon: the icon's menu. Prints "id x y w h".
wait_menu() {
    local deadline=$((SECONDS + 20)) id geo
    while ((SECONDS < deadline)); do
        for id in $(xdotool search --onlyvisible --pid "$MURMEX_PID" 2>/dev/null); do
            [[ "$id" == "$WINDOW" ]] && continue
            geo=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
            [[ "${geo##* }" -gt 40 ]] && echo "$id $geo" && return 0
        done
        sleep 0.1
    done
    return 1
}

minimise_to_tray() {
    click "${MINIMISE[@]}"
    wait_map_state IsUnMapped || fail "the window is $(map_state) after minimise"
    ICON=$(wait_tray_icon) || fail "no icon in the tray host after minimise"
}

# Whatever happens, the environment keeps a tray host for the tests after this one.
at_exit 'tray_host_running || start_tray_host'

new_config_home
seed_settings $'Value_L=100\nValue_R=100\nNoise_Num=1'
start_murmex_copy
[[ -z "$(tray_icon)" ]] || fail "an icon in the tray before minimise"

step "a noise chosen, the options page shown, the generator started"
click "${NOISE_6[@]}"
point_at 300 20
shot_settings "$SHOTS/settings-first-page.png"
click "${OPTIONS_TAB[@]}"
mark=$(monitor_mark)
click "${GENERATOR[@]}"
wait_sound "$mark" >/dev/null || fail "no sound after the generator was started"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") while playing"

step "minimise: the window goes, the icon comes, the sound goes on"
minimise_to_tray
echo "icon at $ICON"
read -r ix iy iw ih <<<"$ICON"
shot "$((iw + 8))x$((ih + 8))+$((ix - 4))+$((iy - 4))" "$SHOTS/tray-icon.png"
from=$(recorded_after "$(monitor_mark)" 0.2)
expect_sound "$MURMEX_TEST_MONITOR" "$from" "$(recorded_after "$from" 1.0)" --sound 300

step "a double click on the icon: the window is back at the top centre on its first page, the icon is gone"
double_click_icon "$ICON"
wait_map_state IsViewable || fail "the window is $(map_state) after the double click"
want="$(((1280 - 808) / 2)) 10 808 608"
[[ "$(geometry)" == "$want" ]] || fail "window at $(geometry), expected $want"
wait_pixel "${LAMP[@]}" FF0000 || fail "the lamp is $(pixel "${LAMP[@]}") after the return"
wait_no_tray_icon || fail "the icon stayed in the tray host"
shot_settings "$MURMEX_TEST_TMP/settings-after.png"
[[ "$(differ "$SHOTS/settings-first-page.png" "$MURMEX_TEST_TMP/settings-after.png")" == 0 ]] ||
    fail "the settings area differs from its first page in $(differ "$SHOTS/settings-first-page.png" \
        "$MURMEX_TEST_TMP/settings-after.png") pixels"

step "the tray host ends and starts again: the icon comes back and answers"
minimise_to_tray
stop_tray_host
start_tray_host
ICON=$(wait_tray_icon) || fail "the icon did not come back to the new tray host"
echo "icon at $ICON"
double_click_icon "$ICON"
wait_map_state IsViewable || fail "the window is $(map_state) after a double click on the icon come back"
wait_no_tray_icon || fail "the icon stayed in the tray host"

step "the icon's menu: four items at the cursor; Exit ends the program with the settings stored"
minimise_to_tray
point_at_icon "$ICON"
xdotool click 3
read -r menu mx my mw mh <<<"$(wait_menu)" || fail "no menu after a right click on the icon"
echo "menu at $mx $my, $mw x $mh"
sleep 0.3 # the menu is mapped before its first paint; this is only for the picture
shot "${mw}x${mh}+$mx+$my" "$SHOTS/tray-menu.png"
read -r ix iy _ <<<"$ICON"
((mx <= ix + 11 + 4 && ix + 11 <= mx + mw + 4)) || fail "the menu at x $mx..$((mx + mw)) is not at the icon ($ix)"
# Below the heading the four items share the height.
item=$(((mh - 22) / 4))
((item >= 16 && item <= 32)) || fail "a menu $mh high does not hold a heading and four items"
xdotool mousemove --sync $((mx + mw / 2)) $((my + 22 + item * 7 / 2)) sleep 0.2 click 1
expect_exit 0
[[ "$(stored Noise_Num) $(stored HintShow)" == "6 1" ]] ||
    fail "stored noise and hints: $(stored Noise_Num) $(stored HintShow)"
wait_silence "$(monitor_mark)" >/dev/null || fail "the sound went on after the end"

step "without a tray host, minimise asks for the taskbar and the window stays within reach"
stop_tray_host
start_murmex "$PROGRAM"
click "${MINIMISE[@]}"
# Without a window manager nobody iconifies the window: what shows is that it asked to be.
deadline=$((SECONDS + 20))
until xprop -id "$WINDOW" WM_HINTS | grep -q 'Initial state is Iconic State'; do
    ((SECONDS < deadline)) || fail "the window did not ask to be minimised: $(xprop -id "$WINDOW" WM_HINTS)"
    sleep 0.05
done
[[ "$(map_state)" == IsViewable ]] || fail "the window is $(map_state) after minimise without a tray host"
[[ -z "$(tray_icon)" ]] || fail "an icon without a tray host"
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || true
wait_pixel "${LAMP[@]}" 0080C0 || fail "the window does not show after minimise without a tray host"
start_tray_host
close_murmex
