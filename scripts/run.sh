#!/usr/bin/env bash
# Builds Kodrill and starts it on the sample project (or on the files given as arguments).
# Without a display it runs the program under Xvfb, saves a screenshot and prints its path.
set -euo pipefail
FILES=()
for f in "$@"; do FILES+=("$(realpath -m "$f")"); done
cd "$(dirname "$0")/.."
bash scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "${JOBS:-2}" --target kodrill kodrill-cmd
# The AS assembler named by KODRILL_ASL, else a copy beside the repository, goes on PATH so that
# Ctrl+F9 assembles the demo; without either Kodrill runs all the same.
ASL=${KODRILL_ASL:-../shared/tools/asl/bin/asl}
if [ -x "$ASL" ]; then export PATH="$(dirname "$(realpath "$ASL")"):$PATH"; fi
APP="$PWD/build/src/app/kodrill"
if [ ${#FILES[@]} -eq 0 ]; then FILES=("$PWD/examples/demo/demo.AsmPrj"); fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$APP" "${FILES[@]}"
fi
SHOT="$PWD/build/kodrill-screenshot.png"
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
  "$0" "${@:2}" & APP_PID=$!
  sleep 4
  import -window root "$1"
  kill $APP_PID' "$APP" "$SHOT" "${FILES[@]}"
echo "No display: Kodrill ran under Xvfb; screenshot saved to $SHOT"
