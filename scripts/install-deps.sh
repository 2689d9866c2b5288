#!/usr/bin/env bash
# Installs what Ondrel needs on Debian 12 or 13 (and their derivatives).
#   install-deps.sh run   - to build and run the program
#   install-deps.sh test  - also what the tests need (X server, window managers, tray host,
#                           headless Wayland compositors, applications to type into
#                           (Chromium, Firefox, zenity, xterm), mingw-w64 and Wine for
#                           the Windows code)
# Uses sudo when not run as root. Safe to run again: apt skips what is installed.
set -euo pipefail

what=${1:-run}

build_packages=(
    ca-certificates cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libx11-dev libx11-xcb-dev libxcb1-dev libxtst-dev libxi-dev libxkbcommon-dev
    libicu-dev qt6-tools-dev qt6-l10n-tools dpkg-dev file
    # Wayland: the client library, Qt's private headers, and the standard protocol
    # descriptions (the wlroots ones are in the tree).
    libwayland-dev wayland-protocols qt6-base-private-dev
    # Typing through IBus on GNOME and other desktops whose compositor lets no client
    # type; the program loads it from a module of its own, so it stays optional.
    libibus-1.0-dev
)
# Debian 12 has no LayerShellQt for its Qt 6.4; from Qt 6.6 on the panel uses it.
release=$(. /etc/os-release && echo "${VERSION_ID:-${VERSION_CODENAME:-}}")
case "$release" in
11* | 12* | bullseye | bookworm | "") ;;
*) build_packages+=(liblayershellqtinterface-dev) ;;
esac
runtime_packages=(qt6-qpa-plugins qt6-wayland qt6-translations-l10n fonts-dejavu-core)
test_packages=(
    xvfb openbox trayer xdotool x11-utils x11-xserver-utils imagemagick fontconfig python3
    locales libc-bin tesseract-ocr tesseract-ocr-eng tesseract-ocr-rus xclip procps util-linux
    clang-format
    # A screen reader's view of the panel: a session bus, AT-SPI and its Python client.
    dbus at-spi2-core python3-pyatspi
    # Headless Wayland sessions: sway with swaybar as the tray host, weston with
    # XWayland for the fallback, a private session bus, and grim for screenshots.
    sway grim wtype xwayland weston xkb-data
    # A headless GNOME session (its ibus-daemon types), a GTK 4 entry to type into.
    gnome-shell mutter ibus gir1.2-gtk-4.0 python3-gi
    # Two monitors side by side: Xephyr splits its screen into RandR monitors,
    # which Xvfb ignores.
    xserver-xephyr
    # The window managers the panel is clicked under, besides openbox.
    xfwm4 kwin-x11 marco mate-settings-daemon-common i3-wm fluxbox icewm
    # Applications typed into, each reading keys its own way.
    chromium firefox-esr zenity xterm
    # The Windows code, cross-compiled and run under 64-bit Wine (never wine32: it
    # needs the i386 architecture), with tint2's tray, where Wine's icons dock whole.
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 tint2
)

packages=("${build_packages[@]}" "${runtime_packages[@]}")
case "$what" in
run) ;;
test) packages+=("${test_packages[@]}") ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
