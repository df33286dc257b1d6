#!/bin/bash
# SPDX-License-Identifier: MIT
# Searching: by the Search button and by Enter, with and without hits, and
# the search history written to the settings file at exit, by Exit and when
# the program is told to terminate (a logout sends SIGTERM).
# Usage: search.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: search.sh PROGRAM}

jr_start_on_sample "$PROGRAM"
jr_grid_visible_rows
full=$JR_VISIBLE_ROWS

# "virut" has 16 hits in the sample: more than the grid shows at once.
jr_type_search virut
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "Alt+S (Search button) with 'virut': $JR_ROWS of $full grid rows show text"

# A mouse click on the button; no hit empties the grid.
jr_type_search zzqqxx
jr_click $(jr_search_button_xy)
jr_park_pointer
jr_poll_until 10 jr_grid_empty ||
    jr_fail "clicking Search with 'zzqqxx' (no hit): the grid still shows $JR_ROWS rows"

# Enter in the search box searches as the button does.
jr_type_search Trojan
xdotool key Return
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "Enter in the search box with 'Trojan': $JR_ROWS of $full grid rows show text (no search ran)"

jr_type_search qqnohit
xdotool key Return
jr_poll_until 10 jr_grid_empty ||
    jr_fail "Enter in the search box with 'qqnohit' (no hit): the grid still shows $JR_ROWS rows"

# The history reaches the settings file at exit, oldest first, each once.
jr_type_search VIRUT
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" || jr_fail "Alt+S with 'VIRUT' found nothing"
jr_exit_program
history=$(jr_history | tr '\n' ',')
[ "$history" = "virut,zzqqxx,Trojan,qqnohit," ] ||
    jr_fail "history in the settings file is '$history', expected 'virut,zzqqxx,Trojan,qqnohit,'"

jr_start_program "$PROGRAM"
jr_type_search zbot
xdotool key Return
jr_poll_until 10 jr_grid_rows_at_least 1 || jr_fail "Enter with 'zbot' found nothing"
kill -TERM "$JR_PROG_PID"
jr_wait_program_exit 15
[ "$JR_EXIT" = 0 ] || jr_fail "SIGTERM ended the program with status $JR_EXIT"
history=$(jr_history | tr '\n' ',')
[ "$history" = "virut,zzqqxx,Trojan,qqnohit,zbot," ] ||
    jr_fail "after SIGTERM the history in the settings file is '$history'"
jr_log "passed"
