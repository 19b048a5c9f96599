#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root).
# Does nothing when everything is there already.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest python3 time
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick libx11-dev
  icu-devtools zip unzip libcap2-bin
  acl attr strace
  fuse3 libfuse3-dev pkg-config e2fsprogs
  dpkg-dev lintian man-db groff-base
  gettext locales libc-l10n dos2unix
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The tests of the German messages run under this locale.
if ! locale -a | grep -qx 'de_DE.utf8'; then
  echo "Generating the locale de_DE.UTF-8"
  sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
