#!/usr/bin/env bash
# Installs the Debian packages of tools/ci/packages.txt that are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$')
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
# Localized start-up messages are tested under these locales.
if command -v locale-gen >/dev/null; then
  need=""
  for l in de_DE zh_CN pt_BR; do locale -a 2>/dev/null | grep -qi "^$l.utf8" || need=1; done
  if [ -n "$need" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    for l in de_DE zh_CN pt_BR; do
      $sudo sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    done
    $sudo locale-gen >/dev/null
  fi
fi
