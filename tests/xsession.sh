#!/bin/sh
# Runs a command on a private virtual screen (Xvfb, kept from resetting itself when a client such
# as xrdb leaves) as a desktop would set it up:
#   xsession.sh WIDTHxHEIGHT XFT_DPI WM COMMAND...
# XFT_DPI: the desktop's font resolution given as Xft.dpi (xrdb), or "-" for none.
# WM: "openbox" runs that window manager first, with the room of a 32-pixel panel kept free at
#     the bottom, so that windows get a frame and the work area is smaller than the screen;
#     "-" for none.
set -eu
size=$1 dpi=$2 wm=$3
shift 3
exec xvfb-run -a -s "-screen 0 ${size}x24 -noreset" sh -eu -c '
dpi=$1 wm=$2
shift 2
[ "$dpi" = - ] || echo "Xft.dpi: $dpi" | xrdb -merge
if [ "$wm" = openbox ]; then
    dir=$(mktemp -d)
    trap "rm -rf \"$dir\"" EXIT
    printf "%s\n" "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">" \
        "<margins><top>0</top><bottom>32</bottom><left>0</left><right>0</right></margins>" \
        "</openbox_config>" >"$dir/rc.xml"
    openbox --config-file "$dir/rc.xml" --startup "touch $dir/ready" &
    for _ in $(seq 100); do [ -f "$dir/ready" ] && break; sleep 0.1; done
    [ -f "$dir/ready" ] || { echo "openbox did not start" >&2; exit 1; }
fi
"$@"
' xsession "$dpi" "$wm" "$@"
