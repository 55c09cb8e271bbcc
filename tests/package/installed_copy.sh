#!/usr/bin/env bash
# tests/package/installed_copy.sh BUILD SOURCE VERSION: Quorvel as a user of the package gets it.
# Packs the build's Debian package, checks it as scripts/package does, unpacks it into a
# temporary root (nothing is installed into the system), then runs the unpacked qrvl-tool and
# starts the unpacked program offscreen twice with HOME and XDG_* in a temporary folder.
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(echo "$work"/deb/quorvel_*.deb)
[ -f "$deb" ] || fail "no package in $work/deb"
"$source/packaging/check-package" "$deb"

root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share/quorvel
for file in usr/bin/quorvel usr/bin/qrvl-tool usr/share/quorvel/airport.cds usr/share/quorvel/airport-zones.csv \
    usr/share/quorvel/flag/fmlist usr/share/quorvel/demo/flightplans.txt usr/share/man/man1/quorvel.1.gz \
    usr/share/man/man1/qrvl-tool.1.gz usr/share/icons/hicolor/48x48/apps/org.quorvel.Quorvel.png \
    usr/share/icons/hicolor/256x256/apps/org.quorvel.Quorvel.png; do
    [ -f "$root/$file" ] || fail "the package has no /$file"
done
file "$root/usr/share/icons/hicolor/48x48/apps/org.quorvel.Quorvel.png" | grep -q '48 x 48' ||
    fail "the 48 px icon is not 48 x 48"

export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
export XDG_CACHE_HOME=$work/home/cache XDG_RUNTIME_DIR=$work/home/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_DATA_DIRS XDG_CONFIG_DIRS
programFolder=$XDG_DATA_HOME/quorvel

# The companion: its version, and the demo converted as a user would.
tool=$root/usr/bin/qrvl-tool
[ "$("$tool" --version)" = "qrvl-tool $version" ] || fail "qrvl-tool --version says '$("$tool" --version)'"
demo=$share/demo
out=$work/out
mkdir -p "$out"
"$tool" scan --sim-folder "$demo/prefix/drive_c/Program Files/Microsoft Games/FS2002" \
    --aircraft-list "$demo/aircraft.txt" --out "$out/aircraft.cds"
"$tool" convert --flightplans "$demo/flightplans.txt" --aircraft-table "$out/aircraft.cds" \
    --airports "$share/airport.cds" --out "$out/flight.cds" > "$out/conversion.log"
rows=$("$tool" dump "$out/flight.cds" | wc -l)
[ "$rows" -gt 10 ] || fail "the demo's conversion gave $((rows - 1)) flights"
# Before the program's first start, the airports' zones come from the shipped list.
"$tool" board --airport LIRF --zone airport --at "2024-01-08 06:00" --explain | grep -qx 'zone Europe/Rome UTC+01:00' ||
    fail "qrvl-tool board --zone airport did not find the shipped airport zones"
[ ! -e "$programFolder" ] || fail "qrvl-tool made the program folder"

# The program, on a copy of the demo's Wine prefix, told to close itself once started.
prefix=$work/prefix
mkdir -p "$prefix/dosdevices"
cp -R "$demo/prefix/." "$prefix/"
ln -s ../drive_c "$prefix/dosdevices/c:"
start() {
    local status=0
    WINEPREFIX=$prefix QT_QPA_PLATFORM=offscreen timeout 120 "$root/usr/bin/quorvel" --quit-after-start \
        > "$work/quorvel.out" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$work/quorvel.out"; fail "quorvel ended with status $status"; }
}
start
for item in airport.cds airport-zones.csv flag/fmlist flag/AZL.bmp; do
    cmp -s "$share/$item" "$programFolder/$item" || fail "the first start did not copy $item into $programFolder"
done
[ -f "$XDG_CONFIG_HOME/qrvl.ini" ] || fail "the settings were not written at the end"
[ "$(ls "$root/usr/bin")" = "$(printf 'qrvl-tool\nquorvel')" ] || fail "the program wrote beside its executable"
[ "$(ls -A "$programFolder")" = "$(printf 'airport-zones.csv\nairport.cds\nflag')" ] ||
    fail "the program folder holds $(ls -A "$programFolder" | tr '\n' ' ')"

# A second start keeps what the user changed there.
echo "XQRV,Europe/Rome" >> "$programFolder/airport-zones.csv"
cp "$out/flight.cds" "$programFolder/"
start
tail -1 "$programFolder/airport-zones.csv" | grep -qx 'XQRV,Europe/Rome' || fail "the second start replaced airport-zones.csv"
cmp -s "$out/flight.cds" "$programFolder/flight.cds" || fail "the second start changed flight.cds"
# qrvl-tool now reads the program folder's zones.
"$tool" board --airport XQRV --zone airport --at "2024-01-08 06:00" --explain | grep -qx 'zone Europe/Rome UTC+01:00' ||
    fail "qrvl-tool board --zone airport did not read the program folder's airport zones"
echo "installed copy: package, qrvl-tool and two starts passed"
