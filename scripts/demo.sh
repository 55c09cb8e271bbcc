# scripts/demo.sh: sourced by scripts/run. Lays out the bundled demo inside the build folder so
# the program starts on it without touching the user's own Wine prefix or settings.

qrvl_layout_demo() {
    local demo="$QRVL_BUILD/demo" program="$QRVL_BUILD/quorvel"
    local tool="$program/qrvl-tool"
    local simulator="$demo/prefix/drive_c/Program Files/Microsoft Games/FS2002"
    mkdir -p "$demo/prefix" "$demo/config"
    # The simulator side is refreshed from the repository at every run; the settings are kept,
    # so what the user changes in the options dialog survives the next run.
    cp -R "$QRVL_ROOT/data/demo/prefix/." "$demo/prefix/"
    mkdir -p "$demo/prefix/dosdevices"
    ln -sfn ../drive_c "$demo/prefix/dosdevices/c:"
    [ -f "$demo/config/qrvl.ini" ] || cp "$QRVL_ROOT/data/demo/config/qrvl.ini" "$demo/config/qrvl.ini"
    export WINEPREFIX="$demo/prefix"
    export XDG_CONFIG_HOME="$demo/config"

    # The user's part of a real set-up: the simulator's traffic files copied into the program
    # folder, then the aircraft scan and the conversion, done here by the command-line companion.
    cp "$QRVL_ROOT/data/demo/flightplans.txt" "$QRVL_ROOT/data/demo/aircraft.txt" "$program/"
    "$tool" scan --sim-folder "$simulator" --aircraft-list "$program/aircraft.txt" --out "$program/aircraft.cds"
    "$tool" convert --flightplans "$program/flightplans.txt" --aircraft-table "$program/aircraft.cds" \
        --airports "$program/airport.cds" --out "$program/flight.cds" > "$demo/conversion.log"
    echo "Demo ready: $(wc -l < "$demo/conversion.log") names the conversion could not look up (see $demo/conversion.log)."
}
