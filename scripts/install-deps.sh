#!/usr/bin/env bash
# Installs the cross toolchain and the Wine test runtime on Debian 12 (as root).
# Idempotent: returns at once when everything is already present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

PKGS=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb cmake make
      locales fonts-ipafont-gothic x11-apps imagemagick googletest python3)

for p in "${PKGS[@]}"; do have_pkg "$p" || need+=("$p"); done
locale_ok=0
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$' && locale_ok=1

if [ ${#need[@]} -eq 0 ] && [ $locale_ok -eq 1 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing ${need[*]:-ja_JP.UTF-8 locale}; run as root to install" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
if [ ${#need[@]} -ne 0 ]; then
    echo "install-deps: installing ${need[*]}"
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
