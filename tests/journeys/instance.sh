#!/bin/bash
# SPDX-License-Identifier: MIT
# One running copy: a second start brings the running window to the front,
# from the task bar and from the tray area, and ends with status 0; no
# second main window ever shows. A copy that was killed does not keep the
# next start out.
# Usage: instance.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: instance.sh PROGRAM}

jr_start_x --tray
jr_copy_sample
jr_write_settings MinimizeInTaskbar=0
jr_start_program "$PROGRAM"

main_windows() { xdotool search --onlyvisible --name "$JR_MAIN_RE" 2>/dev/null | wc -l; }

# start_again: starts a second copy and waits for it to end; its status
# in SECOND_EXIT. Only one main window may show meanwhile.
start_again() {
    "$PROGRAM" >>"$JR_TMP/second.log" 2>&1 &
    local second=$! deadline=$(($(date +%s) + 15))
    while jr_alive "$second"; do
        [ "$(main_windows)" -le 1 ] || jr_fail "a second main window came up"
        [ "$(date +%s)" -le "$deadline" ] || { kill "$second"; jr_fail "the second start did not end"; }
        sleep "$JR_POLL"
    done
    SECOND_EXIT=0
    wait "$second" || SECOND_EXIT=$?
    [ "$SECOND_EXIT" = 0 ] || jr_fail "the second start ended with status $SECOND_EXIT"
}

# to_front WHERE: the running window is back on the screen, has the focus,
# and is the only main window.
to_front() {
    jr_wait_until 5 "the second start to bring the window back from $1" jr_mapped "$JR_MAIN"
    jr_wait_until 5 "the window brought back from $1 to have the focus" jr_is_active "$JR_MAIN"
    [ "$(main_windows)" = 1 ] || jr_fail "$(main_windows) main windows after a second start"
}

# From the task bar.
xdotool windowminimize "$JR_MAIN"
jr_wait_until 5 "the minimised window to leave the screen" jr_unmapped "$JR_MAIN"
start_again
to_front "the task bar"
jr_shot "raised-from-task-bar" >/dev/null

# From the tray area.
jr_open_options
before=$(import -window "$JR_OPTIONS" rgb:- | md5sum)
xdotool key alt+m
# The box is clicked once its pressed look has shown for a moment: the
# dialog must look different from before, and the same for 200 ms.
seen="" repeats=0
options_changed() {
    local now
    now=$(import -window "$JR_OPTIONS" rgb:- | md5sum)
    if [ "$now" = "$seen" ]; then repeats=$((repeats + 1)); else seen=$now repeats=0; fi
    [ "$now" != "$before" ] && [ "$repeats" -ge 4 ]
}
jr_wait_until 3 "Alt+M to tick Minimize in tray area" options_changed
xdotool key Return
jr_wait_until 5 "OK to close the options dialog" jr_unmapped "$JR_OPTIONS"
xdotool windowminimize "$JR_MAIN"
jr_wait_until 5 "the minimised window to leave the screen" jr_unmapped "$JR_MAIN"
jr_wait_until 5 "the icon to appear in the tray area" jr_tray_icon_shown
start_again
to_front "the tray area"
jr_wait_until 5 "the icon to leave the tray area" jr_tray_icon_gone

# A copy killed outright leaves its lock behind; the next start takes it over.
kill -9 "$JR_PROG_PID"
wait "$JR_PROG_PID" 2>/dev/null
JR_PROG_PID=""
jr_wait_until 5 "the killed copy's window to go" jr_unmapped "$JR_MAIN"
[ -e "$XDG_CONFIG_HOME/Talvora/Nomix95.lock" ] || jr_fail "the running copy held no lock file"
jr_start_program "$PROGRAM"
jr_exit_program
[ ! -e "$XDG_CONFIG_HOME/Talvora/Nomix95.lock" ] || jr_fail "the lock file stayed after Exit"
jr_log "passed"
