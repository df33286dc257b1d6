#!/bin/bash
# SPDX-License-Identifier: MIT
# Importing scan reports through File > Import scan reports...: the folder
# dialog starts in a folder of the user's own, and a folder that holds the
# database in use is not replaced unless the user says Yes to the question,
# whose default is No.
# Usage: import.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: import.sh PROGRAM}
export HOME="$JR_TMP/home"
mkdir -p "$HOME"

reports="$JR_TMP/reports.jsonl"
for i in 1 2; do
    printf '{"sha256": "%064d", "scans": {"Alpha": {"detected": true, "result": "Trojan.Imported"}, "Beta": {"detected": false}}}\n' "$i"
done >"$reports"

jr_start_on_sample "$PROGRAM"

# jr_import_into FOLDER: File > Import scan reports..., the reports file,
# then FOLDER typed into the folder dialog; the dialog's id in JR_FOLDER_DIALOG.
jr_import_into() {
    jr_activate "$JR_MAIN"
    xdotool key alt+f
    jr_wait_menu
    xdotool key i
    local files
    files=$(jr_wait_window '^Import scan reports' 10) || jr_fail "Import scan reports... opened no file dialog"
    jr_wait_until 5 "the file dialog to take the focus" jr_is_active "$files"
    xdotool type --delay 10 "$reports"
    xdotool key Return
    JR_FOLDER_DIALOG=$(jr_wait_window '^Folder for the new database' 10) ||
        jr_fail "no folder dialog after the reports were chosen"
    jr_wait_until 5 "the folder dialog to take the focus" jr_is_active "$JR_FOLDER_DIALOG"
    [ -d "$HOME/Nomix95 data" ] || jr_fail "the folder dialog did not start in ~/Nomix95 data"
    xdotool key ctrl+a
    xdotool type --delay 10 "$1"
    xdotool key Return
}

# The folder of the database in use: a question, and Return keeps the data.
jr_import_into "$JR_DATA"
question=$(jr_wait_window '^Warning$' 10) || jr_fail "choosing the folder in use asked nothing"
jr_wait_until 5 "the question to take the focus" jr_is_active "$question"
jr_shot replace-question >/dev/null
xdotool key Return
jr_wait_until 5 "the question to go" jr_unmapped "$question"
cmp -s "$JR_DATA/NOMIX.DAT" "$JR_SAMPLE_DIR/NOMIX.DAT" || jr_fail "NOMIX.DAT was replaced although the answer was No"
cmp -s "$JR_DATA/NOMIX.CFG" "$JR_SAMPLE_DIR/NOMIX.CFG" || jr_fail "NOMIX.CFG was replaced although the answer was No"
# No asks for another folder; Esc ends the import.
again=$(jr_wait_window '^Folder for the new database' 10) || jr_fail "No did not ask for another folder"
jr_wait_until 5 "the folder dialog to take the focus" jr_is_active "$again"
xdotool key Escape
jr_wait_until 5 "the folder dialog to go" jr_unmapped "$again"

# Yes replaces it, and the new database opens.
jr_import_into "$JR_DATA"
question=$(jr_wait_window '^Warning$' 10) || jr_fail "choosing the folder in use asked nothing the second time"
jr_wait_until 5 "the question to take the focus" jr_is_active "$question"
xdotool key alt+y
use=$(jr_wait_window '^Information$' 20) || jr_fail "the import did not offer the new database"
jr_wait_until 5 "the offer to take the focus" jr_is_active "$use"
xdotool key alt+y
jr_wait_until 5 "the offer to go" jr_unmapped "$use"
[ "$(wc -l <"$JR_DATA/NOMIX.DAT")" = 2 ] || jr_fail "after Yes NOMIX.DAT holds $(wc -l <"$JR_DATA/NOMIX.DAT") lines, not the 2 imported"
jr_exit_program
jr_log "passed"
