#!/bin/bash
# SPDX-License-Identifier: MIT
# The results grid keeps its rows painted while the focus goes back and
# forth between it and the search box; a click shows the cell selected, and
# the cell copied with Ctrl+C and pasted into the search box finds its row.
# Usage: grid.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: grid.sh PROGRAM}

jr_start_on_sample "$PROGRAM"
jr_grid_visible_rows
full=$JR_VISIBLE_ROWS

jr_type_search virut
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "searching 'virut': $JR_ROWS of $full grid rows show text"

cell_x=$((JR_FAMILY_W + 100))
cell_y=$(($(jr_grid_top) + 20 + 50))
for round in 1 2 3 4 5; do
    jr_click $(jr_search_box_xy)
    jr_park_pointer
    jr_poll_until 2 jr_grid_rows_at_least "$full" ||
        jr_fail "round $round: after a click in the search box $JR_ROWS of $full grid rows show text"
    jr_click "$cell_x" "$cell_y"
    jr_park_pointer
    jr_poll_until 2 jr_grid_rows_at_least "$full" ||
        jr_fail "round $round: after a click on a grid cell $JR_ROWS of $full grid rows show text"
done

# A fresh search leaves nothing selected; a click on the third row's cell
# of the second product paints it in the highlight colour.
jr_type_search virut
xdotool key Return
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "searching 'virut' again: $JR_ROWS of $full grid rows show text"
sel_y=$(($(jr_grid_top) + 20 + 2 * 20 + 12))
probe_x=$((JR_FAMILY_W + 390)) # right of the name, inside the cell
unselected=$(jr_shot unselected)
[ "$(jr_pixel "$unselected" $((JR_X + probe_x)) $((JR_Y + sel_y - 6)))" = FFFFFF ] ||
    jr_fail "the cell at $probe_x,$sel_y is not white before it is selected"
cell_before=$(jr_rect_hash "$unselected" $((JR_FAMILY_W + 204)) $((sel_y - 8)) 190 16)
jr_click $((JR_FAMILY_W + 300)) "$sel_y"
cell_selected() {
    JR_SELECTED_SHOT=$(jr_shot selected)
    [ "$(jr_rect_hash "$JR_SELECTED_SHOT" $((JR_FAMILY_W + 204)) $((sel_y - 8)) 190 16)" != "$cell_before" ] &&
        [ "$(jr_pixel "$JR_SELECTED_SHOT" $((JR_X + probe_x)) $((JR_Y + sel_y - 6)))" != FFFFFF ]
}
jr_poll_until 2 cell_selected || jr_fail "a click on a cell left it looking unselected"
jr_log "selected grid: $JR_SELECTED_SHOT"

# Ctrl+C copies the cell's name; pasted into the search box after a search
# that found nothing, it finds rows again, fewer than 'virut' did.
xdotool key ctrl+c
if command -v xclip >/dev/null; then
    copied=$(xclip -o -selection clipboard)
    case "$copied" in
        '' | *$'\n'* | *$'\t'*) jr_fail "Ctrl+C on one cell copied '$copied'" ;;
    esac
fi
jr_type_search zzzzzz
xdotool key Return
jr_poll_until 5 jr_grid_empty || jr_fail "searching 'zzzzzz': $JR_ROWS grid rows show text"
xdotool key alt+e ctrl+a ctrl+v Return
found_again() { jr_grid_rows_at_least 1 && [ "$JR_ROWS" -lt "$full" ]; }
jr_poll_until 5 found_again ||
    jr_fail "the pasted cell's name found $JR_ROWS rows (none, or as many as 'virut')"
jr_log "passed"
