#!/bin/bash
# SPDX-License-Identifier: MIT
# Minimising to the tray area: the icon appears, its menu's Restore brings
# the window back where the user left it, and Terminate ends the program
# with the settings written.
# Usage: tray.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: tray.sh PROGRAM}

jr_start_x --tray
jr_copy_sample
jr_write_settings MinimizeInTaskbar=0
jr_start_program "$PROGRAM"

# Tick "Minimize in tray area" in the options dialog.
jr_open_options
options=$JR_OPTIONS
before=$(import -window "$options" rgb:- | md5sum)
xdotool key alt+m
options_changed() { [ "$(import -window "$options" rgb:- | md5sum)" != "$before" ]; }
jr_wait_until 3 "Alt+M to tick Minimize in tray area" options_changed
xdotool key Return
jr_wait_until 5 "OK to close the options dialog" jr_unmapped "$options"

# Move the window by its title bar, as a user does.
jr_main_geometry
jr_pointer_to $((JR_X + 200)) $((JR_Y - 8))
xdotool mousedown 1
xdotool mousemove --sync $((JR_X + 150)) $((JR_Y - 60))
xdotool mousemove --sync $((JR_X + 100)) $((JR_Y - 110))
xdotool mouseup 1
jr_park_pointer
moved_from="$JR_X $JR_Y"
window_moved() { jr_main_geometry; [ "$JR_X $JR_Y" != "$moved_from" ]; }
jr_wait_until 3 "the window to follow the title-bar drag" window_moved
JR_GEOMETRY_SEEN=""
jr_wait_until 3 "the window to come to rest" jr_geometry_settled
jr_main_geometry
left_at="$JR_X $JR_Y"

xdotool windowminimize "$JR_MAIN"
jr_wait_until 5 "the minimised window to leave the screen" jr_unmapped "$JR_MAIN"
jr_wait_until 5 "the icon to appear in the tray area" jr_tray_icon_shown

# tray_menu ITEM_KEY: right click on the icon, then the item's access key.
tray_menu() {
    jr_pointer_to $(jr_tray_icon_centre)
    xdotool click 3
    jr_wait_until 3 "the tray icon's menu to open" jr_menu_up
    xdotool key "$1"
    jr_park_pointer
}

tray_menu r
jr_wait_until 5 "Restore to bring the window back" jr_mapped "$JR_MAIN"
jr_wait_until 5 "the icon to leave the tray area after Restore" jr_tray_icon_gone
JR_GEOMETRY_SEEN=""
jr_wait_until 3 "the restored window to come to rest" jr_geometry_settled
jr_main_geometry
[ "$JR_X $JR_Y" = "$left_at" ] ||
    jr_fail "Restore put the window at $JR_X $JR_Y, not where it was left ($left_at)"

xdotool windowminimize "$JR_MAIN"
jr_wait_until 5 "the window to leave the screen again" jr_unmapped "$JR_MAIN"
jr_wait_until 5 "the icon to appear in the tray area again" jr_tray_icon_shown
tray_menu t
jr_poll_until 10 jr_program_gone || jr_fail "Terminate in the tray icon's menu did not end the program"
jr_wait_program_exit 1
[ "$JR_EXIT" = 0 ] || jr_fail "after Terminate the program ended with status $JR_EXIT"
[ "$(jr_setting Options MinimizeInTaskbar)" = dword:00000001 ] ||
    jr_fail "the settings file was not written at Terminate (MinimizeInTaskbar=$(jr_setting Options MinimizeInTaskbar))"
jr_log "passed"
