#!/usr/bin/env bash
# The served board in a real browser: qrvl-tool serve on the demo tables, the page opened in
# headless Chromium, and the rows of both directions looked for in the page it built.
#   browser_test.sh QRVL_TOOL PROGRAM_FOLDER SOURCE_FOLDER [SCREENSHOT_FOLDER]
# With a screenshot folder it also saves the page in landscape (1600x900) and portrait (900x1600).
# Exits 77 (skipped) when Chromium is not installed.
set -euo pipefail
tool=$1 program=$2 source=$3 shots=${4:-}

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "chromium is not installed (scripts/setup.sh installs it); skipped"
    exit 77
fi

work=$(mktemp -d)
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The demo as scripts/run lays it out: the aircraft scan, then the conversion.
simulator="$source/data/demo/prefix/drive_c/Program Files/Microsoft Games/FS2002"
"$tool" scan --sim-folder "$simulator" --aircraft-list "$source/data/demo/aircraft.txt" \
    --out "$work/aircraft.cds" > /dev/null
"$tool" convert --flightplans "$source/data/demo/flightplans.txt" --aircraft-table "$work/aircraft.cds" \
    --airports "$program/airport.cds" --out "$work/flight.cds" > /dev/null

"$tool" serve --flights "$work/flight.cds" --airports "$program/airport.cds" --flags "$source/data/flag" \
    --zones "$program/airport-zones.csv" --listen 127.0.0.1:0 > "$work/serve.out" 2> "$work/serve.err" &
server=$!
for _ in $(seq 100); do
    grep -q '^Serving the board at ' "$work/serve.out" && break
    kill -0 "$server" 2>/dev/null || { cat "$work/serve.err"; exit 1; }
    sleep 0.1
done
url=$(sed -n 's/^Serving the board at //p' "$work/serve.out")
[ -n "$url" ] || { echo "qrvl-tool serve printed no address"; cat "$work/serve.err"; exit 1; }
page="${url}?airport=LIRF&zone=airport&window=24&at=2024-01-08T06:00"

run_browser() {
    "$browser" --headless --no-sandbox --disable-gpu --disable-background-networking --no-first-run \
        --user-data-dir="$work/profile" --hide-scrollbars --virtual-time-budget=5000 "$@" 2> "$work/browser.err"
}

run_browser --dump-dom "$page" > "$work/dom.html"
status=0
for direction in departures arrivals; do
    rows=$(awk -v id="<section id=\"$direction\"" 'index($0, id) { on = 1 } on { print } on && /<\/section>/ { exit }' \
        "$work/dom.html" | grep -o 'class="row[" ]' | wc -l)
    echo "$direction: $rows rows in the page"
    [ "$rows" -gt 0 ] || status=1
done
grep -q 'ROME FIUMICINO' "$work/dom.html" || { echo "the airport's name is not in the page"; status=1; }
grep -q 'src="/flags/' "$work/dom.html" || { echo "no flag picture in the page"; status=1; }
if [ "$status" -ne 0 ]; then
    echo "--- page as the browser built it"; cat "$work/dom.html"; echo "--- browser"; cat "$work/browser.err"
    exit 1
fi

if [ -n "$shots" ]; then
    mkdir -p "$shots"
    run_browser --window-size=1600,900 --screenshot="$shots/served-board-landscape.png" "$page"
    run_browser --window-size=900,1600 --screenshot="$shots/served-board-portrait.png" "$page"
    echo "screenshots in $shots"
fi
