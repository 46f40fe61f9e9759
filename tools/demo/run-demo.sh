#!/usr/bin/env bash
# The viewer on the sample card: generates the card, starts tavrin.exe under Wine and opens the
# card's first recording through File > Open, which plays it and the recordings after it.
# With a DISPLAY the viewer stays there for a person to watch, hear and use, until it is
# closed. Without one it runs on a private X server, saves screenshots while it plays, says
# where they are and ends.
#
#   run-demo.sh BUILD_FOLDER
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build}")
CARD=$BUILD/demo-card
OUT=$BUILD/demo
WINE_SESSION=$ROOT/tools/wine/wine-session.sh

# Windows paths of Linux files: Wine's Z: drive is the root folder.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

rm -rf "$CARD" "$OUT"
mkdir -p "$OUT"
"$BUILD/native/tools/cardgen/tavrin-cardgen" --out "$CARD" --seed 1 >"$OUT/card.txt"
echo "Sample card: $CARD ($(grep -c '^[0-9]\{4\}_[0-9]\{3\}' "$OUT/card.txt") recordings over three days)"

VIEWER=$(winpath "$BUILD/windows/app/tavrin.exe")
DRIVE=$BUILD/windows/tools/drive/tavrin-drive.exe
FIRST=$(winpath "$CARD/0001_001.DAT")
SCRIPT=$OUT/demo.drive

if [[ -n ${DISPLAY:-} ]]; then
    printf '%s\n' start 'menu 40004' "open-file $FIRST" stay >"$SCRIPT"
    echo "The viewer opens on $DISPLAY and plays the card; close its window to end the demo."
    TAVRIN_HOST_SOUND=1 "$WINE_SESSION" run "$DRIVE" "$VIEWER" "$(winpath "$SCRIPT")"
    exit
fi

shot() { echo "screenshot $(winpath "$OUT/$1.png")"; }
{
    echo start
    echo 'wait 1500'
    shot 1-empty
    echo 'menu 40004'
    echo "open-file $FIRST"
    echo 'wait 2500'
    shot 2-playing
    echo 'wait 2500'
    shot 3-playing
    # The first recording lasts six seconds; by now the next one plays.
    echo 'wait 3500'
    shot 4-next-recording
    echo close
    echo 'answer 確認 ok'
    echo 'wait-exit 20000'
} >"$SCRIPT"
"$WINE_SESSION" run "$DRIVE" "$VIEWER" "$(winpath "$SCRIPT")" | grep -v '^drive: screenshot Z'
echo "No DISPLAY: the viewer ran on a private X server. Screenshots of it playing the card:"
ls -1 "$OUT"/*.png
