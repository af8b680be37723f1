#!/usr/bin/env bash
# Makes docs/murmex.png, the README's picture of the window, from the built program: the window as it opens on
# a first run with a few settings of its own, cut out along its shape (transparent outside it). Run it inside
# the test environment, which gives the virtual display, again whenever the skin changes:
#
#   bash scripts/testenv.sh bash scripts/screenshot.sh [BUILD_FOLDER] [OUTPUT]
#
# BUILD_FOLDER (default build) must hold the program and tests/xpixel: cmake --build build --target murmex xpixel
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
output=${2:-$root/docs/murmex.png}

export MURMEX_BIN="$build/murmex" XPIXEL_BIN="$build/tests/xpixel"
# The end-to-end helpers ask for the sound checker as well; nothing here listens to the sound.
export SOUNDCHECK_BIN="${SOUNDCHECK_BIN:-$build/tests/soundcheck}"
for bin in "$MURMEX_BIN" "$XPIXEL_BIN"; do
    [[ -x "$bin" ]] || { echo "screenshot: $bin is not built" >&2; exit 1; }
done
source "$root/tests/e2e/lib.sh"

new_config_home
seed_settings "$(printf 'Noise_Num=5\nValue_L=70\nValue_R=70\nHintShow=1\nLanguare=0')"
# A pointer resting on a control would light it up or call up its hint.
xdotool mousemove 0 799
start_murmex

work=$(mktemp -d "$MURMEX_TEST_TMP/screenshot.XXXXXX")
read -r x y w h < <(geometry)
# The window on a given colour of the desktop, as it shows on the screen.
# ImageMagick's display sets the root window's background and fails all the same, so the corner of the window's
# box, outside its shape, tells whether the desktop shows the colour.
shot() { # COLOUR FILE
    local want
    want=$(convert "xc:$1" -depth 8 txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p')
    display -window root "xc:$1" || true
    [[ "$(pixel 0 0)" == "$want" ]] || fail "the desktop does not show $1 beside the window"
    import -window root -crop "${w}x${h}+$x+$y" +repage "$2"
}

# The window settles after its first paint (the stored volumes are applied on its first active tick): wait
# until two shots a moment apart are the same picture.
step "waiting until the window stops changing"
shot black "$work/before.png"
deadline=$((SECONDS + 30))
while :; do
    sleep 0.5
    shot black "$work/black.png"
    [[ "$(compare -metric AE "$work/before.png" "$work/black.png" null: 2>&1 || true)" == 0 ]] && break
    ((SECONDS < deadline)) || fail "the window kept changing"
    mv "$work/black.png" "$work/before.png"
done

# What shows the desktop differs between a black and a white one; what is the window's own is the same.
step "cutting the window out along its shape"
shot white "$work/white.png"
convert "$work/black.png" "$work/white.png" -compose difference -composite -colorspace gray -threshold 50% \
    -negate "$work/mask.png"
mkdir -p "$(dirname "$output")"
convert "$work/black.png" "$work/mask.png" -alpha off -compose copy_opacity -composite -trim +repage \
    -strip -define png:exclude-chunks=date,time "PNG32:$output"

kill -TERM "$MURMEX_PID"
expect_exit 0
echo "screenshot: $output, $(identify -format '%w x %h' "$output") pixels, $(stat -c %s "$output") bytes"
