# SPDX-License-Identifier: MIT
# Sourced by the other scripts: installs the Debian packages they need.

ekzamo_install() {
    local wanted=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libjpeg62-turbo-dev libfontconfig-dev
                  qt6-translations-l10n libgtest-dev libbenchmark-dev fonts-liberation2 libxlsxwriter-dev
                  libqt6sql6-sqlite libqt6sql6-psql libssl-dev "$@")
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
