#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Idempotent: installs nothing when everything is already there.
set -euo pipefail

packages=(
  # build; pkg-config and libxkbcommon-dev let Qt's CMake files find XKB quietly
  cmake g++ make pkg-config libxkbcommon-dev ccache
  qt6-base-dev qt6-serialport-dev qt6-svg-dev
  # program: TIFF images, the Arial metrics, Qt's own windows in French
  qt6-image-formats-plugins fonts-liberation qt6-translations-l10n
  # program: Qt's window-system plugins, which the Debian package depends on
  qt6-qpa-plugins
  # tests: bar-code reading and writing, PDF rasters and word boxes
  zbar-tools zint poppler-utils
  # tests: TIFF and JPEG files (ppm2tiff, cjpeg), the spreadsheet reader script
  libtiff-tools libjpeg-turbo-progs python3
  # tests of the desktop files and of the Debian package; a private print
  # server with its queues for the print verb
  desktop-file-utils shared-mime-info dpkg-dev cups-daemon cups-client
  # tests: the French locale's definitions (made in a folder of the test's own)
  locales
  # manual pages generated from the usage text
  help2man
  # tests: clients nobody here wrote, talking to the simulated instruments
  sigrok-cli python3-pyvisa python3-pyvisa-py
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "Missing packages (${missing[*]}) and no root rights to install them." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
