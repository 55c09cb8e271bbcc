# scripts/setup.sh: shared by scripts/run and scripts/test (sourced, not run).
# Installs the Debian packages the project needs, then configures and builds.

QRVL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QRVL_BUILD=${QRVL_BUILD:-$QRVL_ROOT/build}

QRVL_PACKAGES=(
    g++ cmake make pkg-config
    qt6-base-dev libgl-dev libjpeg62-turbo-dev
    libgtest-dev libgmock-dev
    poppler-utils        # pdftotext: the tests read the printed timetable back
    libhowardhinnant-date-dev tzdata   # time zones by name (date/tz over the system's zone database)
    # The Debian package (scripts/package, and the test of the installed copy): packing and its
    # library dependencies, the icon's PNGs, and the checks of the menu entry, metainfo and package
    dpkg-dev file librsvg2-bin desktop-file-utils appstream lintian
    chromium             # headless: the served board's browser test and screenshots, the check's web page
    libcpp-httplib-dev nlohmann-json3-dev libstb-dev   # the board served to browsers: HTTP, JSON, flags as PNG
)

qrvl_install_packages() {
    local missing=() pkg
    for pkg in "${QRVL_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
    else
        echo "Missing Debian packages. Run this once, then try again:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
}

qrvl_build() {
    cmake -S "$QRVL_ROOT" -B "$QRVL_BUILD" -DCMAKE_BUILD_TYPE="${QRVL_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$QRVL_BUILD" -j"$(nproc)" ${QRVL_TARGETS:+--target $QRVL_TARGETS}   # all targets when unset
}
