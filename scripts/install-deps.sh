#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Kirimo needs.
# Idempotent: when everything is present it prints nothing and changes nothing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config clang-format
  # Qt 6 (Core, Gui, Widgets, PrintSupport; offscreen and xcb platforms)
  qt6-base-dev qt6-qpa-plugins libgl-dev
  # Qt's own texts (dialogs, buttons) in Japanese, loaded at start-up
  qt6-translations-l10n
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # fonts, headless display, PDF and picture tools used by tests and benchmarks
  fonts-ipaexfont-gothic xvfb xauth poppler-utils imagemagick bc
  # installing and packaging: icon rendering, the Debian package and its checks
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
  # fuzzing: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
