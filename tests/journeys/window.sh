#!/bin/bash
# SPDX-License-Identifier: MIT
# The main window on the screen: typing right after start goes into the
# search box; a maximised window stays maximised, in place and wholly on the
# screen through searches; with a large scale factor the window still fits
# and opens fully on the screen.
# Usage: window.sh PROGRAM
JR_SCREEN=1280x800
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: window.sh PROGRAM}

jr_start_on_sample "$PROGRAM"

# The search box has the focus: no click before typing.
xdotool type --delay 20 virut
xdotool key Return
jr_poll_until 10 jr_grid_rows_at_least 1 ||
    jr_fail "typing 'virut' and Return right after start found nothing (no focus in the search box)"

# Maximise as a user does, with a double click on the title bar.
read -r fx fy fw fh < <(jr_frame "$JR_MAIN")
jr_pointer_to $((JR_X + JR_W / 2)) $(((fy + JR_Y) / 2))
xdotool click --repeat 2 --delay 80 1
jr_park_pointer
jr_wait_until 5 "the main window to be maximised" jr_maximised "$JR_MAIN"
JR_GEOMETRY_SEEN=""
jr_wait_until 5 "the maximised window to settle" jr_geometry_settled
jr_main_geometry
maximised="$JR_X $JR_Y $JR_W $JR_H"
for text in trojan virut zzqqxx trojan w32; do
    jr_type_search "$text"
    xdotool key Return
    sleep 0.3
    jr_maximised "$JR_MAIN" || jr_fail "searching '$text' un-maximised the window"
    jr_main_geometry
    [ "$JR_X $JR_Y $JR_W $JR_H" = "$maximised" ] ||
        jr_fail "searching '$text' moved or resized the maximised window: $JR_X $JR_Y $JR_W $JR_H, was $maximised"
    jr_on_screen "$JR_MAIN" || jr_fail "after searching '$text' the window is partly off the screen: $(jr_frame "$JR_MAIN")"
done
jr_shot maximised >/dev/null
jr_exit_program

# Twice the scale: the design size would be taller than the screen.
export QT_SCALE_FACTOR=2
jr_start_program "$PROGRAM"
jr_shot scaled >/dev/null
jr_on_screen "$JR_MAIN" || jr_fail "at scale factor 2 the window opens partly off the screen: $(jr_frame "$JR_MAIN")"
jr_exit_program
jr_log "passed"
