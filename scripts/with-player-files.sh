#!/usr/bin/env bash
# Runs a command (the test suite) with a player's files in the program folder the build filled, as
# someone who played the game in the build tree leaves them: settings of their own choosing, their
# statistics, a saved game to resume, the table data and a music folder. No test may read what a
# player keeps there, nor write there: the command's status is returned when afterwards every file
# of the folder is as it was and nothing was added or removed, else 1 with the differences. The
# folder is given back as it was found, whatever happens.
#   scripts/with-player-files.sh <program folder> <command> [<argument>...]
set -euo pipefail

folder=$(cd "$1" && pwd)
shift
list="$folder.files"
if [ ! -f "$list" ]; then
    echo "with-player-files: $list is missing; build the game first" >&2
    exit 2
fi

# The names at the top of the folder that the build made; everything else is a player's or a run's.
built=$(cut -d/ -f1 "$list" | LC_ALL=C sort -u)
is_built() { grep -qxF -- "$1" <<<"$built"; }

aside=$(mktemp -d "${TMPDIR:-/tmp}/vorn-player-files.XXXXXX")
restore() {
    local entry
    for entry in "$folder"/* "$folder"/.[!.]* "$folder"/..?*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        is_built "$(basename "$entry")" || rm -rf -- "$entry"
    done
    for entry in "$aside"/* "$aside"/.[!.]* "$aside"/..?*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        mv -- "$entry" "$folder"/
    done
    rmdir -- "$aside"
}
trap restore EXIT
trap 'exit 130' INT TERM

for entry in "$folder"/* "$folder"/.[!.]* "$folder"/..?*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    is_built "$(basename "$entry")" || mv -- "$entry" "$aside"/
done

player="Seeded Player"
cat >"$folder/Vorn.ini" <<EOF
[Artwork]
ArtFile=$folder/Artwork\\3-DVorn.art
Splash AVI=$folder/Artwork\\Flame.AVI
Main AVI=$folder/Artwork\\Flame.AVI
Help=$folder/Help\\Help.htm
Tutorial=$folder/Tutorial\\
Link 1=$folder/Help\\Help.htm
[Intro]
Blink lamp=50, 50;
Start light=3
[Settings]
Player1=$player
Player2=Second Player
GameType=33
Competition Type=1
Player level 2=9
FullScreen=0
DrawLevel=0
Table color=4
Table number=1
Balls collection=Seeded
Volume=-2000
Music enable=1
MusicDirectory=$folder/Music\\
SavedDirectory=$folder/Saved\\
Speech Mode=0
EOF
for section in 0 1 2 3 4 5; do
    printf '[%s]\nm_nRoundsWon=7\nm_nRoundsLost=3\nm_nMatchesWon=2\nm_nMatchesLost=1\nm_nScratches=4\nm_nLongestStreak=6\nm_nCurrentStreak=1\n' \
        "$section"
done >"$folder/$player.ini"
mkdir -p "$folder/Saved" "$folder/Music"
printf 'SAV7 a game no test may resume\n' >"$folder/Saved/lastgame"
printf 'not a table\n' >"$folder/tables.dat"
printf 'not a track\n' >"$folder/Music/track.mp3"

snapshot() {
    (
        cd "$folder"
        find . -mindepth 1 -printf '%y %p\n' | LC_ALL=C sort
        find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum
    )
}
before=$(snapshot)
status=0
"$@" || status=$?
after=$(snapshot)
if [ "$before" != "$after" ]; then
    echo "with-player-files: the run changed $folder (< before, > after):" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
