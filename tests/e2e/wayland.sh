#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs Ekzamo as a native Wayland client through a whole test: a headless sway,
# keys from wtype, and the windows read and pressed through AT-SPI on a private
# D-Bus session bus. sway will not run as root: under root (CI) it runs as an
# ordinary user (EKZAMO_WAYLAND_USER, by default nobody) with a runtime folder
# of its own, and the clients, root, reach its socket by its full path.
# Usage: tests/e2e/wayland.sh path/to/Ekzamo
set -euo pipefail
# The compositor shares its keymaps and buffers through POSIX shared memory.
# Where /dev/shm is not the usual tmpfs that anyone may write to (a bare chroot
# has only a folder there), the run gets one of its own, in a mount namespace
# of its own so that the machine's is left alone.
if [ "$(id -u)" -eq 0 ] && [ "$(stat -c %a /dev/shm 2>/dev/null)" != 1777 ] && [ -z "${EKZAMO_OWN_SHM:-}" ]; then
    exec env EKZAMO_OWN_SHM=1 unshare --mount --propagation unchanged sh -c \
        'mount --make-rprivate /dev && mount -t tmpfs -o mode=1777,size=256m ekzamo-shm /dev/shm && exec "$0" "$@"' \
        "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
. "$here/session.sh"

compositor_dir=$(mktemp -d)
dirs+=("$compositor_dir")
# Floating windows, as on a desktop that stacks them (Plasma, GNOME), not tiled.
cat >"$compositor_dir/config" <<'EOF'
output HEADLESS-1 resolution 1280x1024
xwayland disable
for_window [app_id=".*"] floating enable
EOF
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=${EKZAMO_WAYLAND_USER:-nobody}
    chown "$user:$(id -gn "$user")" "$compositor_dir"
    as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups)
fi
chmod 700 "$compositor_dir"
env -i PATH="$PATH" HOME="$compositor_dir" XDG_RUNTIME_DIR="$compositor_dir" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${as_user[@]}" sway -c "$compositor_dir/config" \
    >"$compositor_dir/sway.log" 2>&1 &
pids+=($!)
if ! wait_for 100 sh -c "ls '$compositor_dir' | grep -q '^wayland-[0-9]*\$'"; then
    cat "$compositor_dir/sway.log" >&2
    exit 1
fi
socket=$(ls "$compositor_dir" | grep '^wayland-[0-9]*$' | head -n 1)
export WAYLAND_DISPLAY=$compositor_dir/$socket
export SWAYSOCK=$(ls "$compositor_dir"/sway-ipc.*.sock)
wait_for 100 swaymsg -t get_version

# The clients' own runtime folder.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
dirs+=("$XDG_RUNTIME_DIR")

start_accessibility_bus

# A headless compositor has no keyboard: each wtype brings one and takes it
# away again, and a key pressed before the program has bound the new keyboard
# is lost. One wtype kept waiting keeps a keyboard on the seat throughout.
wtype -s 3600000 &
pids+=($!)
wait_for 50 sh -c 'swaymsg -t get_inputs | grep -q keyboard'

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=wayland LC_ALL=C.UTF-8
unset DISPLAY QT_SCALE_FACTOR
export PYTHONDONTWRITEBYTECODE=1
timeout --kill-after=10 300 /usr/bin/python3 "$here/wayland.py" "$exe"
