#!/bin/bash
# SPDX-License-Identifier: MIT
# A new common directory typed on the Preferences page is saved at exit and
# used at the next start, not before.
# Usage: preferences.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: preferences.sh PROGRAM}

# A second database: the sample's names under a product table of two
# products, so its grid has two columns and its own label.
OTHER="$JR_TMP/other data"
mkdir -p "$OTHER"
jr_copy_sample
cp "$JR_DATA/NOMIX.DAT" "$OTHER/"
tr -d '\r' <"$JR_DATA/NOMIX.CFG" | awk -F'|' '{ printf "Journey edition|%s|%s\r\n", $2, $3 }' >"$OTHER/NOMIX.CFG"

jr_start_x
jr_write_settings
jr_start_program "$PROGRAM"
jr_find_menu_height

header_at() { # X: RRGGBB of the header row at client x X
    jr_pixel "$(jr_shot header)" $((JR_X + $1)) $((JR_Y + $(jr_grid_top) + 4))
}
header_red_at() { [ "$(header_at "$1")" = FF0000 ]; }
header_not_red_at() { ! header_red_at "$1"; }
label_rect() { echo $((JR_W - 180)) $((JR_H - 22)) 160 18; }

jr_poll_until 5 header_red_at $((JR_FAMILY_W + 450)) || jr_fail "the sample's third column has no red header at start"
label_before=$(jr_rect_hash "$(jr_shot label)" $(label_rect))

xdotool key alt+f
jr_wait_menu
xdotool key p
xdotool key alt+m
xdotool key ctrl+a
xdotool type --delay 10 "$OTHER"
xdotool key Tab
header_red_at $((JR_FAMILY_W + 450)) || jr_fail "typing a new common directory changed the grid before a restart"
jr_exit_program
[ "$(jr_setting Options DataPath)" = "\"$OTHER\"" ] ||
    jr_fail "the settings file has DataPath=$(jr_setting Options DataPath), not \"$OTHER\""

jr_start_program "$PROGRAM"
jr_poll_until 5 header_red_at $((JR_FAMILY_W + 100)) || jr_fail "after the restart the first column's header is not red"
jr_poll_until 5 header_not_red_at $((JR_FAMILY_W + 450)) ||
    jr_fail "after the restart the grid still has a third column: the new common directory was not used"
label_after=$(jr_rect_hash "$(jr_shot label)" $(label_rect))
[ "$label_after" != "$label_before" ] ||
    jr_fail "after the restart the status bar's database label looks as before"
jr_exit_program
[ "$(jr_setting Options DataPath)" = "\"$OTHER\"" ] ||
    jr_fail "the second run saved DataPath=$(jr_setting Options DataPath)"
jr_log "passed"
