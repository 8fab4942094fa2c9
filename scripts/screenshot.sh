#!/usr/bin/env bash
# Draws the picture of the game that the README shows, docs/screenshot.png: the game is built and
# installed into a temporary folder, started headless with a home of its own, an eight-ball game
# between two players is chosen on the start screen, and the frame the game shows once the break
# can be played is written as PNG. Leaves nothing behind but the picture.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
vorn_install_packages

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "${VORN_JOBS:-$(nproc)}" --target game

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-screenshot.XXXXXX")
trap 'rm -rf "$work"' EXIT
cmake --install build --prefix "$work/prefix" >/dev/null
mkdir -p "$work/home" "$work/data" "$work/config" "$work/tmp" "$work/run"
chmod 700 "$work/run"
mkdir -p docs
picture="$PWD/docs/screenshot.png"
# A click a little inside a start-screen control placed at (x, y).
click() { printf 'dialog 1 mouse down left %d %d\ndialog 1 mouse up left %d %d\n' $(($1 + 12)) $(($2 + 12)) $(($1 + 12)) $(($2 + 12)); }
{
    click 56 125  # eight ball
    click 435 453 # two players
    click 638 451 # play
    printf 'seen Intro: finished\nwait Game: at rest\nframe +5 png %s\nafter 0 close\nanswer ok\n' "$picture"
} >"$work/script.txt"
env -i PATH="$PATH" HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    VORN_INPUT_SCRIPT="$work/script.txt" "$work/prefix/bin/vorn"
test -s "$picture"
echo "Wrote $picture"
