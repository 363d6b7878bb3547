#!/bin/sh
# Installs WebKitGTK 4.1, the browser engine Zel applications run on, with
# the system's package manager. An application starts it as root (through
# pkexec) when it finds no browser runtime, then starts afresh. The
# arguments (/silent /install) are accepted and ignored.
export DEBIAN_FRONTEND=noninteractive
if command -v apt-get >/dev/null 2>&1; then
  apt-get update -q && apt-get install -y -q libwebkit2gtk-4.1-0
elif command -v dnf >/dev/null 2>&1; then
  dnf install -y webkit2gtk4.1
elif command -v zypper >/dev/null 2>&1; then
  zypper --non-interactive install libwebkit2gtk-4_1-0
elif command -v pacman >/dev/null 2>&1; then
  pacman -S --noconfirm --needed webkit2gtk-4.1
else
  echo "zel-runtime-installer: no known package manager; install WebKitGTK 4.1" >&2
  exit 1
fi
