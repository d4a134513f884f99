#!/usr/bin/env bash
# Installs what building and testing Velt needs on Debian 12. Idempotent:
# when everything is present it only checks and returns in seconds.
set -euo pipefail

# fonts-wine: Wine's Tahoma and MS Sans Serif, which the windows are designed
# in; without them every text falls back to a wider font and overlaps.
# libgnutls30:i386: what Wine's bcrypt.dll does AES-GCM and PBKDF2 with, for
# the strong vault; Wine only recommends it, and recommendations are skipped.
# python3-cryptography: an implementation of the strong vault format apart
# from Velt's, which the tests check Velt against; python3-argon2 gives it
# the key, and argon2 (the command) checks Velt's Argon2id.
# libssl-dev: AES-GCM and HMAC for the host tests' known answers.
# oathtool: one-time codes computed apart from Velt, for the same purpose.
PACKAGES=(cmake make g++ clang googletest gettext fp-utils
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32:i386 libgnutls30:i386 wine64 fonts-wine xvfb xauth x11-apps xdotool imagemagick
          locales python3 python3-cryptography unzip ccache libclang-rt-14-dev
          argon2 python3-argon2 libssl-dev oathtool)

# npm fetches the common-password lists the build compiles in (Debian's
# nodejs and npm, unless a node with its own npm is already there).
command -v npm >/dev/null 2>&1 || PACKAGES+=(nodejs npm)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq </dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

# Tests run under Polish and English locales.
need_locale=0
for l in pl_PL.utf8 en_US.utf8; do
  locale -a 2>/dev/null | grep -qx "$l" || need_locale=1
done
if [ $need_locale -eq 1 ]; then
  $SUDO sed -i -E 's/^# *(pl_PL.UTF-8 UTF-8)/\1/; s/^# *(en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
