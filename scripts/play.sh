#!/usr/bin/env bash
# Installs what is missing, builds the game and its art into build/game/ (the target "game": the
# program, its libraries, its art and its files, no test), and starts the game with the arguments
# given; returns the game's exit status.
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
if [ ! -f build/game/VornRes.dll ]; then
    echo "The game's resource libraries have not been made; the game will say so and end." >&2
fi
set +e
build/game/Vorn "$@"
exit $?
