#!/usr/bin/env bash
# The window's outline on the real display: every pixel outside the stepped 800 x 600 outline shows the
# desktop beneath, and the skin's edge is drawn right up to the outline. Offscreen rendering does not
# apply window shapes, so this is judged from screenshots.
source "$(dirname "$0")/lib.sh"

[[ -n "${MURMEX_SKIN_PNG:-}" ]] || fail "MURMEX_SKIN_PNG is not set"

new_config_home
desktop="$MURMEX_TEST_TMP/desktop.png"
shot="$MURMEX_TEST_TMP/window.png"
import -window root "$desktop"
start_murmex
sleep 1
read -r ox oy w h < <(geometry)
[[ "$w $h" == "808 608" ]] || fail "window is $w x $h"
import -window root "$shot"

# "x y RRGGBB" for every pixel of the window's box.
pixels() {
    convert "$1" -crop "${w}x${h}+$2+$3" +repage -depth 8 txt:- |
        awk -F'[,: ]+' 'NR > 1 { print $1, $2, substr($0, index($0, "#") + 1, 6) }'
}

step "outside the outline the desktop shows, along its inside the skin's edge"
report=$(awk -v W="$w" -v H="$h" '
    # The outline: an 800 x 600 area one pixel in, corners cut back by 5, 3, 2, 1, 1 pixels.
    function inside(x, y,   row, inset) {
        if (x < 1 || x > 800 || y < 1 || y > 600) return 0
        row = (y - 1 < 600 - y) ? y - 1 : 600 - y
        inset = row == 0 ? 5 : row == 1 ? 3 : row == 2 ? 2 : row < 5 ? 1 : 0
        return x >= 1 + inset && x <= 800 - inset
    }
    # Within three pixels of the outline, where no control stands.
    function rim(x, y) {
        return inside(x, y) && !(inside(x - 3, y) && inside(x + 3, y) && inside(x, y - 3) && inside(x, y + 3))
    }
    FILENAME == ARGV[1] { desktop[$1 "," $2] = $3; next }
    FILENAME == ARGV[2] { skin[$1 "," $2] = $3; next }
    {
        key = $1 "," $2
        if (!inside($1, $2)) { outside++; if ($3 != desktop[key]) { bad_out++; if (!first_out) first_out = key " " $3 } }
        else if (rim($1, $2)) { edge++; if ($3 != skin[key]) { bad_edge++; if (!first_edge) first_edge = key " " $3 " skin " skin[key] } }
        if ($3 == "FF00FF") magenta++
    }
    END { printf "%d %d %d %d %d %s|%s\n", outside, bad_out + 0, edge, bad_edge + 0, magenta + 0, first_out, first_edge }
' <(pixels "$desktop" "$ox" "$oy") <(convert "$MURMEX_SKIN_PNG" -depth 8 txt:- |
        awk -F'[,: ]+' 'NR > 1 { print $1, $2, substr($0, index($0, "#") + 1, 6) }') <(pixels "$shot" "$ox" "$oy"))
read -r outside bad_out edge bad_edge magenta detail <<<"$report"
echo "outside $outside pixels, $bad_out not the desktop; rim $edge pixels, $bad_edge not the skin; magenta $magenta"
want_outside=$((808 * 608 - 800 * 600 + 4 * (5 + 3 + 2 + 1 + 1)))
[[ $outside -eq $want_outside ]] || fail "expected $want_outside pixels outside, got $outside"
[[ $bad_out -eq 0 ]] || fail "the window shows outside its outline: ${detail%%|*}"
[[ $edge -gt 0 && $bad_edge -eq 0 ]] || fail "the skin's edge is not drawn along the outline: ${detail#*|}"
[[ $magenta -eq 0 ]] || fail "$magenta pixels of the outside colour are visible"

kill -TERM "$MURMEX_PID"
expect_exit 0
