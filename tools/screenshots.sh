#!/bin/bash
# Takes the pictures of docs/screenshots/ from the real program on a virtual X display (Xvfb), driven by xdotool
# as a user would drive it: the empty window, the file locator, the master password dialog, a vault of a dozen
# logins, the find bar on a match and the row editor.
# Usage: tools/screenshots.sh BUILD-FOLDER OUTPUT-FOLDER
set -euo pipefail

build=$(realpath "$1")
output=$(realpath -m "$2")
fenk=$build/app/fenk
cli=$build/app/cli/fenk-cli
grab=$build/tools/shots/fenk-screen-grab
password='correct horse battery'

work=$(mktemp -d /tmp/fenk.XXXX)
server=
program=
cleanup()
{
    [[ -n $program ]] && kill "$program" 2>/dev/null || true
    [[ -n $server ]] && kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of its own, and a home of its own, so that nothing of the user's shows or changes.
display=:$((100 + $$ % 400))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
server=$!
mkdir -m 700 "$work/runtime"
export DISPLAY=$display QT_QPA_PLATFORM=xcb HOME=$work/anna XDG_CONFIG_HOME=$work/anna/.config XDG_RUNTIME_DIR=$work/runtime
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME SESSION_MANAGER
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
mkdir -p "$HOME/Documents" "$output"

vault=$HOME/Documents/logins.fkx
printf '%s\n%s\n' "$password" "$password" | "$cli" create "$vault" --password-stdin >/dev/null
cat >"$work/logins.csv" <<'CSV'
site,login,password,note
accounts.example.org,anna.berg,Tr0ub4dor&3-xy,
bank of northfield,anna.berg,9#kLp2!vQwZr,card PIN in the drawer
city library,a.berg,reading-is-fun-77,
forum.linuxcraft.io,tux_anna,Gn8$eR4@pQ,
grocer online,anna.berg@mailbox.org,apples&pears2026,delivery on Fridays
mail.riverside.net,anna,N0t-my-cat's-name,recovery codes in the safe
metro transit card,4402 1187,7391,
photo archive,anna.b,sunset-over-fjord,shared with the family
tax office portal,AB-1984-55,Q7w!e3R$t5,renew in March
workshop wiki,aberg,planks+nails=shed,
zephyr cloud storage,anna.berg@mailbox.org,z3phyr-Cl0ud!,two-factor on the phone
alpine-books.com,anna.berg,b00kw0rm#42,
CSV
printf '%s\n' "$password" | "$cli" import "$vault" "$work/logins.csv" --password-stdin >/dev/null

# The window whose title is exactly Title, once it is shown.
window()
{
    xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}
shoot()
{
    sleep 0.7 # the window paints after it maps
    "$grab" "$output/$2" "$1"
    echo "wrote $output/$2"
}
keys()
{
    xdotool key --delay 60 "$@"
    sleep 0.3
}
type_text()
{
    xdotool type --delay 40 "$1"
    sleep 0.3
}
finish()
{
    wait "$program" || true
    program=
}

# A first start: no vault yet.
(cd "$HOME" && exec "$fenk") &
program=$!
main=$(window Fenk)
xdotool windowfocus --sync "$main"
shoot "$main" empty-window.png
keys ctrl+o
locator=$(window 'Open Fenk File')
shoot "$locator" locator-open.png
keys Escape
xdotool windowfocus --sync "$main"
keys Escape
finish

# The vault of a dozen logins, opened from the command line.
"$fenk" "$vault" &
program=$!
unlock=$(window 'Unlock File')
xdotool windowfocus --sync "$unlock"
type_text "$password"
shoot "$unlock" master-password.png
keys Return
main=$(window 'Fenk - logins.fkx')
xdotool windowfocus --sync "$main"
keys Down Down
shoot "$main" main-window.png
type_text 'river'
shoot "$main" find-bar.png
keys Escape
keys F2
editor=$(xdotool search --sync --onlyvisible --name '.' | grep -vx "$main" | tail -n 1)
shoot "$editor" row-editor.png
keys Escape
xdotool windowfocus --sync "$main"
keys Escape
finish
