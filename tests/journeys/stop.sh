#!/bin/bash
# SPDX-License-Identifier: MIT
# A long search on a generated database of 1,000,000 lines: Esc stops it,
# the window answers at once, the hits so far stay and can be saved whole,
# and the window cannot be resized while a search runs.
# Usage: stop.sh PROGRAM GENERATOR   (GENERATOR: the nomix95-gen tool)
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: stop.sh PROGRAM GENERATOR}
GENERATOR=${2:?usage: stop.sh PROGRAM GENERATOR}

"$GENERATOR" --lines 1000000 --out "$JR_DATA" >/dev/null || jr_fail "$GENERATOR could not make the database"
jr_start_x
# The slowest speed ("Min"): the counter is redrawn every ten hits, and
# NO_VIRUS is on every line, so the search runs for seconds.
jr_write_settings UpdateItemCounter=1
jr_start_program "$PROGRAM"
jr_find_menu_height

jr_type_search NO_VIRUS
jr_park_pointer
idle_shot=$(jr_shot idle)
button_idle=$(jr_rect_hash "$idle_shot" $(jr_search_button_rect))
progress_full=$(jr_rect_hash "$idle_shot" $(jr_progress_rect))
button_is() { [ "$(jr_rect_hash "$(jr_shot button)" $(jr_search_button_rect))" = "$1" ]; }
button_is_not() { ! button_is "$1"; }

# The counter while nothing is found yet, and where it is.
jr_led_rect() { echo $((JR_W - 100)) $((JR_MENU_H + 82)) 80 26; }
led_idle=$(jr_rect_hash "$idle_shot" $(jr_led_rect))
counting() { [ "$(jr_rect_hash "$(jr_shot counter)" $(jr_led_rect))" != "$led_idle" ]; }

xdotool key alt+s
jr_poll_until 5 button_is_not "$button_idle" || jr_fail "Alt+S did not turn the Search button into Stop"
# Esc once hits are counted: an Esc before the first slice of the search
# would rightly stop it with none.
jr_poll_until 5 counting || jr_fail "the counter showed no hits during the search"
# The button as Stop: right after Alt+S it may only show pressed, for the
# click comes a moment later.
button_stop=$(jr_rect_hash "$(jr_shot stop)" $(jr_search_button_rect))
xdotool key Escape
jr_poll_until 3 button_is "$button_idle" || jr_fail "Esc did not stop the search within 3 s (the button still shows Stop)"

stopped_shot=$(jr_shot stopped)
progress_stopped=$(jr_rect_hash "$stopped_shot" $(jr_progress_rect))
[ "$progress_stopped" != "$progress_full" ] ||
    jr_fail "the progress bar is full: the search ended by itself before Esc could stop it"
jr_grid_visible_rows
jr_poll_until 3 jr_grid_rows_at_least "$JR_VISIBLE_ROWS" ||
    jr_fail "the hits found before Esc are not in the grid ($JR_ROWS rows)"
[ "$(jr_caption "$JR_MAIN")" = "$JR_MAIN_CAPTION" ] ||
    jr_fail "after the stop the main window's caption is '$(jr_caption "$JR_MAIN")'"
xdotool key alt+h
jr_wait_until 2 "the Help menu to open at once after the stop" jr_menu_up
xdotool key Escape
jr_wait_until 2 "the Help menu to close" jr_menu_down
progress_still() { [ "$(jr_rect_hash "$(jr_shot progress)" $(jr_progress_rect))" = "$progress_stopped" ]; }
progress_still || jr_fail "the progress bar moved after the stop: the search went on"

# Saving the hits: the progress window shows while the rows are written.
REPORT="$JR_TMP/stopped.nrp"
jr_save_results_as "$REPORT"
jr_wait_until 5 "the save dialog to close" jr_unmapped "$JR_SAVE_DIALOG"
# The report holds every hit counted at the stop: its count line says N,
# and N blocks of 24 product lines and an empty line follow the header.
report_complete() {
    local hits
    hits=$(sed -n 's/^Total items found *: #\([0-9]*\)\r$/\1/p' "$REPORT")
    [ -n "$hits" ] && [ "$hits" -gt 0 ] && [ "$(wc -l <"$REPORT")" = $((6 + hits * 25)) ]
}
jr_poll_until 60 report_complete ||
    jr_fail "the report of the stopped search is not whole: $(grep -a '^Total' "$REPORT"), $(wc -l <"$REPORT") lines"
rm -f "$REPORT"

# During a search the window keeps its size.
jr_activate "$JR_MAIN"
jr_main_geometry
size_before="$JR_W $JR_H"
xdotool key alt+e alt+s
jr_poll_until 5 button_is "$button_stop" || jr_fail "the second search did not start"
xdotool windowsize "$JR_MAIN" $((JR_W + 150)) $((JR_H + 100))
resized() { jr_main_geometry; [ "$JR_W $JR_H" != "$size_before" ]; }
was_resized=0
jr_poll_until 1 resized && was_resized=1
xdotool key Escape
jr_poll_until 3 button_is "$button_idle" || jr_fail "Esc did not stop the second search"
[ "$was_resized" = 0 ] || jr_fail "the window was resized from $size_before to $JR_W $JR_H during a search"
jr_log "passed"
