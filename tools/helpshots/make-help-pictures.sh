#!/usr/bin/env bash
# Makes the help page's pictures (resources/help/pictures/22101.png ... 22118.png): writes a
# sample card, has tavrin-drive play its first recording in the viewer under Wine and save the
# four screen areas the page explains, then draws the numbered markers onto them.
#
#   tools/helpshots/make-help-pictures.sh [WINDOWS_BUILD]
#
# WINDOWS_BUILD is a configured and built Windows build folder (default build/windows) holding
# app/tavrin.exe and tools/drive/tavrin-drive.exe. The sample card comes from the native
# tavrin-cardgen when build/native has one, else from the Windows one under Wine. The Wine
# session is the one tools/wine/wine-session.sh finds for $TAVRIN_BUILD_DIR (a throwaway one
# when none is running). Screenshots may differ by a few pixels from run to run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HERE=$ROOT/tools/helpshots
BUILD=$(realpath -m "${1:-$ROOT/build/windows}")
WINE_SESSION=$ROOT/tools/wine/wine-session.sh
VIEWER=$BUILD/app/tavrin.exe
DRIVE=$BUILD/tools/drive/tavrin-drive.exe
WORK=$BUILD/helpshots
OUT=$ROOT/resources/help/pictures

die() { echo "make-help-pictures: $*" >&2; exit 1; }
# Wine sees the host's root as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

[[ -f $VIEWER ]] || die "$VIEWER is missing: build the target tavrin"
[[ -f $DRIVE ]] || die "$DRIVE is missing: build the target tavrin-drive"

rm -rf "$WORK"
mkdir -p "$WORK/card" "$WORK/shots"

# A fixed seed, so the pictures show the same recording every time.
CARD_ARGS=(--seed 1 --recordings 3)
if [[ -x $ROOT/build/native/tools/cardgen/tavrin-cardgen ]]; then
    "$ROOT/build/native/tools/cardgen/tavrin-cardgen" --out "$WORK/card" "${CARD_ARGS[@]}"
elif [[ -f $BUILD/tools/cardgen/tavrin-cardgen.exe ]]; then
    "$WINE_SESSION" run "$BUILD/tools/cardgen/tavrin-cardgen.exe" \
        --out "$(windows_path "$WORK/card")" "${CARD_ARGS[@]}"
else
    die "no tavrin-cardgen: build build/native or the Windows target tavrin-cardgen"
fi
[[ -f $WORK/card/0001_001.DAT ]] || die "the sample card has no 0001_001.DAT"

card=$(windows_path "$WORK/card")
shots=$(windows_path "$WORK/shots")
# sed's replacement treats backslashes specially: double them.
sed -e "s|@CARD@|${card//\\/\\\\}|g" -e "s|@SHOTS@|${shots//\\/\\\\}|g" \
    "$HERE/help-pictures.drive" >"$WORK/help-pictures.drive"

"$WINE_SESSION" run "$DRIVE" "$(windows_path "$VIEWER")" "$(windows_path "$WORK/help-pictures.drive")"

for area in info config console chart; do
    [[ -s $WORK/shots/$area.png ]] || die "no screenshot of the $area area"
done
python3 -B "$HERE/compose.py" "$WORK/shots" "$OUT"
echo "make-help-pictures: pictures written to $OUT"
