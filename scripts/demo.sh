# scripts/demo.sh: sourced by scripts/run. Lays out the bundled demo inside the build folder so
# the program starts on it without touching the user's own Wine prefix or settings.

qrvl_layout_demo() {
    local demo="$QRVL_BUILD/demo"
    mkdir -p "$demo/prefix" "$demo/config"
    # The simulator side is refreshed from the repository at every run; the settings are kept,
    # so what the user changes in the options dialog survives the next run.
    cp -R "$QRVL_ROOT/data/demo/prefix/." "$demo/prefix/"
    mkdir -p "$demo/prefix/dosdevices"
    ln -sfn ../drive_c "$demo/prefix/dosdevices/c:"
    [ -f "$demo/config/qrvl.ini" ] || cp "$QRVL_ROOT/data/demo/config/qrvl.ini" "$demo/config/qrvl.ini"
    export WINEPREFIX="$demo/prefix"
    export XDG_CONFIG_HOME="$demo/config"
}
