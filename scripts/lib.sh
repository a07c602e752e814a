# Shared by the scripts: install what is missing, build a preset, and give
# Wine a display.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

readonly PACKAGES=(
    cmake ninja-build g++ googletest
    g++-mingw-w64-x86-64-posix
    wine wine64 fonts-wine
    xvfb xauth x11-utils imagemagick locales
    binutils-mingw-w64-x86-64 clang libclang-rt-14-dev libbenchmark-dev
)

# Installs whichever of the given packages (by default all of PACKAGES) are missing.
ensure_packages() {
    local wanted=("$@") missing=() p
    [ $# -gt 0 ] || wanted=("${PACKAGES[@]}")
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
    [ $# -gt 0 ] || ensure_russian_locale
}

# The program's home is a Russian Windows: Wine runs it in ru_RU.UTF-8
# (cmake/wine-run), which gives the Cyrillic "MS Sans Serif" and dd.MM.yyyy.
ensure_russian_locale() {
    locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return
    sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
}

build_preset() {
    cmake --preset "$1"
    cmake --build --preset "$1"
}

# Runs a command with a working X display, starting a private Xvfb if needed.
with_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        "$@"
    else
        xvfb-run --auto-servernum --server-args="-screen 0 2560x1600x24" "$@"
    fi
}

# Ends the Wine sessions of the tests' prefix and of its copies.
stop_wine() {
    local one
    for one in "$PWD"/build/windows/wineprefix "$PWD"/build/windows/wineprefix-slot*; do
        [ -d "$one" ] && WINEPREFIX=$one wineserver -k 2>/dev/null || true
    done
}
