#!/bin/bash
# The results grid keeps its rows painted while the focus goes back and
# forth between it and the search box.
# Usage: grid.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: grid.sh PROGRAM}

jr_start_on_sample "$PROGRAM"
full=$(jr_grid_visible_rows)

jr_type_search virut
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "searching 'virut': $JR_ROWS of $full grid rows show text"

cell_x=100
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
jr_log "passed"
