#!/bin/sh
# The installed tree runs on its own, its data found in share/kestrevan, and
# reads the settings a packager and a player expect: the player's own
# setup.ini over the shipped one, which opens a window.
#
#   install_check.sh SCRATCH CMAKE BUILD
set -eu
root="$1"
rm -rf "$root"
"$2" --install "$3" --prefix "$root" >/dev/null
game="$root/bin/kestrevan"
test -f "$root/share/applications/kestrevan.desktop"
"$game" --print-scores --data-dir "$root/data" | grep -q '^01 '
"$game" --headless --frames 3 --data-dir "$root/data" --screenshot-at 3 \
  --screenshot-dir "$root/shots"
test -s "$root/shots/frame_000003.png"

# settings_read CONFIG_HOME: the file the game says it read, and its choice.
settings_read() {
  XDG_CONFIG_HOME="$1" "$game" --headless --frames 1 --verbose --data-dir "$root/data" 2>&1 |
    sed -n 's/^kestrevan: settings //p; s/^kestrevan: setting FULL_SCREEN = .* -> //p' | tr '\n' ' '
}
mkdir -p "$root/config/kestrevan"
got="$(settings_read "$root/config")"
want="$root/share/kestrevan/setup.ini off "
[ "$got" = "$want" ] || { echo "shipped settings: got '$got', want '$want'" >&2; exit 1; }
printf '[main]\nFULL_SCREEN=True\n' >"$root/config/kestrevan/setup.ini"
got="$(settings_read "$root/config")"
want="$root/config/kestrevan/setup.ini on "
[ "$got" = "$want" ] || { echo "player's settings: got '$got', want '$want'" >&2; exit 1; }
