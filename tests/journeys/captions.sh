#!/bin/bash
# SPDX-License-Identifier: MIT
# Every window's caption is exactly its own text, read from the X server as
# a user reads the title bar, and no window is too narrow for its caption;
# the update alarm and the start-up error box are centred on the main window.
# Usage: captions.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: captions.sh PROGRAM}

jr_start_x
jr_copy_sample
# A database file 40 days old raises the update alarm at start.
touch -d '40 days ago' "$JR_DATA/NOMIX.DAT"
jr_write_settings AlarmDisabled=0

# caption_is WINDOW TEXT WHAT: both title properties hold exactly TEXT.
caption_is() {
    local name net
    name=$(jr_caption "$1")
    [ "$name" = "$2" ] || jr_fail "the $3's caption is '$name', not '$2'"
    net=$(xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
    [ "$net" = "$2" ] || jr_fail "the $3's _NET_WM_NAME is '$net', not '$2'"
}

# caption_room WINDOW: "WIDTH NEEDED" of the window: its client width, and
# what its caption needs in openbox's title font (sans bold 8 pt) beside the
# title bar's icon and three buttons.
caption_room() {
    local text width
    text=$(jr_caption "$1")
    width=$(convert -density 96 -font DejaVu-Sans-Bold -pointsize 8 label:"$text" -format %w info:)
    echo "$(jr_geometry "$1" | cut -d' ' -f3)" $((width + 4 * 18))
}
caption_fits() { # WIDTH NEEDED WHAT
    [ "$1" -ge "$2" ] || jr_fail "the $3 is $1 pixels wide; its caption needs $2 and is cut"
}

# centre_offset WINDOW: how far the window's centre is from the main
# window's, "DX DY" (client areas; the frames are alike).
centre_offset() {
    local x y w h mx my mw mh
    read -r x y w h < <(jr_geometry "$1")
    read -r mx my mw mh < <(jr_geometry "$JR_MAIN")
    echo $(( (x + w / 2) - (mx + mw / 2) )) $(( (y + h / 2) - (my + mh / 2) ))
}
off_centre() { # DX DY: more than 30 pixels either way
    local dx=${1#-} dy=${2#-}
    [ "$dx" -gt 30 ] || [ "$dy" -gt 30 ]
}

"$PROGRAM" >>"$JR_TMP/program.log" 2>&1 &
JR_PROG_PID=$!
alarm=$(jr_wait_window '^Update alarm' 30) || jr_fail "a 40-day-old database raised no update alarm"
JR_MAIN=$(jr_wait_window "$JR_MAIN_RE" 5) || jr_fail "the main window is not up with the alarm"
caption_is "$alarm" "Update alarm" "update alarm"
alarm_offset=$(centre_offset "$alarm")
xdotool key Return
jr_wait_until 5 "Enter to close the update alarm" jr_unmapped "$alarm"
jr_wait_until 5 "the main window to take the focus" jr_is_active "$JR_MAIN"
jr_main_geometry
jr_find_menu_height
caption_is "$JR_MAIN" "$JR_MAIN_CAPTION" "main window"

# An empty search string.
xdotool key alt+e ctrl+a BackSpace alt+s
box=$(jr_wait_window '^Information' 5) || jr_fail "searching an empty string showed no message"
caption_is "$box" "Information" "empty search string message"
xdotool key Return
jr_wait_until 5 "the message to close" jr_unmapped "$box"

# The product selection dialog, and its refusal of an empty selection.
xdotool key alt+l
select=$(jr_wait_window '^Select antiviral products' 5) || jr_fail "Alt+L opened no product selection dialog"
caption_is "$select" "Select antiviral products" "product selection dialog"
read -r sx sy _ _ < <(jr_geometry "$select")
jr_pointer_to $((sx + 150)) $((sy + 30))
xdotool click 3
jr_wait_menu
jr_park_pointer
xdotool key u
jr_wait_until 3 "the product list's menu to close" jr_menu_down
xdotool key alt+o
box=$(jr_wait_window '^Error' 5) || jr_fail "OK with no product selected showed no error"
caption_is "$box" "Error" "no-product error message"
xdotool key Return
jr_wait_until 5 "the error message to close" jr_unmapped "$box"
xdotool key Escape
jr_wait_until 5 "Esc to close the product selection dialog" jr_unmapped "$select"

# Help, the about box and the options dialog.
xdotool key alt+g
help=$(jr_wait_window '^Nomix95 Help' 5) || jr_fail "Get help opened no help viewer"
caption_is "$help" "Nomix95 Help" "help viewer"
jr_wait_until 5 "the help viewer to take the focus" jr_is_active "$help"
xdotool key alt+F4
jr_wait_until 5 "Alt+F4 to close the help viewer" jr_unmapped "$help"
jr_activate "$JR_MAIN"

xdotool key alt+h
jr_wait_menu
xdotool key a
about=$(jr_wait_window '^About Nomix95' 5) || jr_fail "Help > About... opened no about box"
caption_is "$about" "About Nomix95" "about box"
xdotool key Return
jr_wait_until 5 "Enter to close the about box" jr_unmapped "$about"

xdotool key alt+f
jr_wait_menu
xdotool key p
xdotool key alt+o
options=$(jr_wait_window '^Options' 5) || jr_fail "Alt+O on the Preferences page opened no options dialog"
caption_is "$options" "Options" "options dialog"
xdotool key Escape
jr_wait_until 5 "Esc to close the options dialog" jr_unmapped "$options"
xdotool key alt+f
jr_wait_menu
xdotool key s

# The save dialog and the file-exists question.
REPORT="$JR_TMP/exists.nrp"
: >"$REPORT"
jr_type_search NO_VIRUS
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least 1 || jr_fail "searching 'virut' filled no grid rows"
jr_choose_in_results_menu s
dialog=$(jr_wait_window '^Save a log of search results' 5) || jr_fail "Save results... opened no save dialog"
caption_is "$dialog" "Save a log of search results" "save dialog"
jr_wait_until 5 "the save dialog to take the focus" jr_is_active "$dialog"
xdotool key ctrl+a
xdotool type --delay 10 "$REPORT"
xdotool key Return
warning=$(jr_wait_window '^ Warning' 5) || jr_fail "saving over an existing file asked nothing"
caption_is "$warning" " Warning" "file-exists question"
xdotool key alt+c
jr_wait_until 5 "Cancel to close the file-exists question" jr_unmapped "$warning"

# The progress window lives while rows are written: into a pipe that
# nobody reads yet, the writing waits and the window stays for a look.
SLOW="$JR_TMP/slow.nrp"
mkfifo "$SLOW"
exec 3<>"$SLOW"
jr_save_results_as "$SLOW"
warning=$(jr_wait_window '^ Warning' 5) || jr_fail "saving into an existing pipe asked nothing"
xdotool key alt+o
progress=$(jr_wait_window '^Save report' 10) || jr_fail "no progress window while the report is written"
managed() { xprop -id "$progress" _NET_WM_ALLOWED_ACTIONS | grep -q ACTION; }
jr_wait_until 5 "the window manager to take the progress window" managed
caption_is "$progress" "Save report" "report progress window"
# A reader drains the pipe; this shell's own end (read and write) stays
# open until the window is gone, so the writer never finds the pipe
# without a reader, and the reader sees the end only when both are closed.
cat "$SLOW" >/dev/null 3>&- &
drain=$!
jr_wait_until 20 "the report to be written" jr_unmapped "$progress"
exec 3>&-
drained() { ! jr_alive "$drain"; }
jr_wait_until 10 "the program to close the report" drained
wait "$drain"

# The column width question, narrower than its caption as it comes.
jr_choose_in_results_menu e
width=$(jr_wait_window '^Set width of columns' 5) || jr_fail "Set width of columns... asked nothing"
caption_is "$width" "Set width of columns within the grid" "column width question"
caption_fits $(caption_room "$width") "column width question"
jr_shot "column-width" >/dev/null
xdotool key Escape
jr_wait_until 5 "Esc to close the column width question" jr_unmapped "$width"

# The import's progress window lives while the reports are read: a large
# file keeps it up long enough to stop the program and look at it.
IMPORTED="$JR_DATA/imported"
REPORTS="$JR_DATA/reports.jsonl"
mkdir -p "$IMPORTED"
sha=$(printf 'a%.0s' $(seq 64))
yes "{\"data\": {\"attributes\": {\"sha256\": \"$sha\", \"last_analysis_date\": 1, \"last_analysis_results\": {\"E\": {\"category\": \"malicious\", \"engine_name\": \"E\", \"engine_version\": \"1\", \"engine_update\": \"20240102\", \"result\": \"X\"}}}}}" |
    head -n 500000 >"$REPORTS"
jr_activate "$JR_MAIN"
xdotool key alt+f
jr_wait_menu
xdotool key i
files=$(jr_wait_window '^Import scan reports' 5) || jr_fail "File > Import scan reports... opened no file dialog"
caption_is "$files" "Import scan reports" "import's file dialog"
jr_wait_until 5 "the import's file dialog to take the focus" jr_is_active "$files"
xdotool type --delay 10 "$REPORTS"
xdotool key Return
jr_wait_until 5 "the import's file dialog to close" jr_unmapped "$files"
folder=$(jr_wait_window '^Folder for the new database' 5) || jr_fail "the import asked for no folder"
jr_wait_until 5 "the folder dialog to take the focus" jr_is_active "$folder"
xdotool key ctrl+a
xdotool type --delay 10 "$IMPORTED"
xdotool key Return
progress=""
progress_up() {
    progress=$(jr_find_window '^Import scan reports$')
    [ -n "$progress" ] && kill -STOP "$JR_PROG_PID"
}
jr_wait_until 20 "the import's progress window" progress_up
progress_caption=$(jr_caption "$progress")
progress_room=$(caption_room "$progress")
jr_shot "import-progress" >/dev/null
kill -CONT "$JR_PROG_PID"
[ "$progress_caption" = "Import scan reports" ] ||
    jr_fail "the import's progress window's caption is '$progress_caption'"
caption_fits $progress_room "import's progress window"
question=$(jr_wait_window '^Information' 30) || jr_fail "the import ended without its question"
xdotool key Escape
jr_wait_until 5 "Esc to answer No to using the new database" jr_unmapped "$question"
jr_exit_program

# Without data the start-up ends in an error box over the main window.
rm "$JR_DATA/NOMIX.DAT" "$JR_DATA/NOMIX.CFG"
"$PROGRAM" >>"$JR_TMP/program.log" 2>&1 &
JR_PROG_PID=$!
box=$(jr_wait_window '^Error' 30) || jr_fail "a start without a database showed no error"
JR_MAIN=$(jr_wait_window "$JR_MAIN_RE" 5) || jr_fail "the main window is not up with the start-up error"
caption_is "$box" "Error" "start-up error message"
error_offset=$(centre_offset "$box")
xdotool key Return
jr_wait_until 5 "the start-up error to close" jr_unmapped "$box"
jr_exit_program

off_centre $alarm_offset &&
    jr_fail "the update alarm's centre is $alarm_offset pixels from the main window's centre"
off_centre $error_offset &&
    jr_fail "the start-up error box's centre is $error_offset pixels from the main window's centre"
jr_log "passed"
