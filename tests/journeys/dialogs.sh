#!/bin/bash
# SPDX-License-Identifier: MIT
# The modal dialogs: product selection (Cancel and OK), the about box, and
# help opened from a modal dialog by its Help button or F1 (it must come up
# above the dialog and take input while the dialog stays open); F1 in the
# main window.
# Usage: dialogs.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: dialogs.sh PROGRAM}

# The grid's Family column stays hidden, so that the first product's header
# stands left of the centred product selection dialog.
jr_start_on_sample "$PROGRAM" ShowFamily=0

SELECT_RE='^Select antiviral products'
header_y=$(($(jr_grid_top) + 4)) # above the title text

# RRGGBB of the first product's header cell, left of any centred dialog.
first_header_colour() {
    jr_pixel "$(jr_shot header)" $((JR_X + 5)) $((JR_Y + header_y))
}
first_header_is() { [ "$(first_header_colour)" = "$1" ]; }
first_header_not() { [ "$(first_header_colour)" != "$1" ]; }

# Opens the product selection dialog and toggles the first product.
open_select_and_toggle_first() {
    xdotool key alt+l
    dialog=$(jr_wait_window "$SELECT_RE" 5) || jr_fail "Alt+L did not open the product selection dialog"
    jr_wait_until 5 "the product selection dialog to take the focus" jr_is_active "$dialog"
    # A double click on the first product's line toggles it.
    local dx dy dw dh
    read -r dx dy dw dh < <(jr_geometry "$dialog")
    jr_pointer_to $((dx + 150)) $((dy + 30))
    xdotool click --repeat 2 --delay 80 1
    jr_park_pointer
}

jr_wait_until 5 "the first product's header to be red (selected)" first_header_is FF0000

open_select_and_toggle_first
xdotool key Escape
jr_wait_until 5 "Esc to close the product selection dialog" jr_unmapped "$dialog"
jr_poll_until 2 first_header_is FF0000 ||
    jr_fail "Cancel in the product selection dialog changed the first header to $(first_header_colour)"

open_select_and_toggle_first
xdotool key alt+o
jr_wait_until 5 "OK to close the product selection dialog" jr_unmapped "$dialog"
jr_poll_until 2 first_header_not FF0000 ||
    jr_fail "after unselecting the first product and OK its header is still red"

# The about box opens from the Help menu and closes with its OK button.
xdotool key alt+h
jr_wait_menu
xdotool key a
about=$(jr_wait_window '^About Nomix95' 5) || jr_fail "Help > About... opened no about box"
jr_wait_until 5 "the about box to take the focus" jr_is_active "$about"
xdotool key Return
jr_wait_until 5 "Enter to close the about box" jr_unmapped "$about"
jr_wait_until 5 "the main window to get the focus back" jr_is_active "$JR_MAIN"

# check_help_over DIALOG WHAT [KEY]: Alt+H (or KEY) in the dialog brings up
# the help viewer above it (where the two overlap, the screen shows the
# help), with the focus, scrolling on Page Down, and the dialog stays open.
check_help_over() {
    local dialog=$1 what=$2 key=${3:-alt+h} help before_shot
    local dx dy dw dh hx hy hw hh
    read -r dx dy dw dh < <(jr_geometry "$dialog")
    before_shot=$(jr_shot before-help)
    xdotool key "$key"
    help=$(jr_wait_window '^Nomix95 Help' 5) || jr_fail "$key in the $what opened no help viewer"
    read -r hx hy hw hh < <(jr_geometry "$help")
    local ox=$((dx > hx ? dx : hx)) oy=$((dy > hy ? dy : hy))
    local ow=$(( (dx + dw < hx + hw ? dx + dw : hx + hw) - ox ))
    local oh=$(( (dy + dh < hy + hh ? dy + dh : hy + hh) - oy ))
    if [ "$ow" -gt 0 ] && [ "$oh" -gt 0 ]; then
        local covered
        covered=$(jr_region_hash "$before_shot" "$ox" "$oy" "$ow" "$oh")
        help_on_top() { [ "$(jr_region_hash "$(jr_shot help-up)" "$ox" "$oy" "$ow" "$oh")" != "$covered" ]; }
        jr_poll_until 3 help_on_top ||
            jr_fail "the help viewer opened from the $what is behind the dialog (the ${ow}x${oh} area where they overlap still shows the dialog)"
    fi
    jr_poll_until 3 jr_is_active "$help" ||
        jr_fail "the help viewer opened from the $what did not get the input focus"
    local before
    before=$(jr_region_hash "$(jr_shot help)" "$hx" "$hy" "$hw" "$hh")
    xdotool key Next Next
    help_changed() {
        [ "$(jr_region_hash "$(jr_shot help)" "$hx" "$hy" "$hw" "$hh")" != "$before" ]
    }
    jr_poll_until 3 help_changed ||
        jr_fail "the help viewer opened from the $what did not scroll on Page Down (it takes no input)"
    jr_mapped "$dialog" || jr_fail "the $what closed when its help came up"
    xdotool key alt+F4
    jr_wait_until 5 "Alt+F4 to close the help viewer" jr_unmapped "$help"
    jr_wait_until 5 "the $what to get the focus back" jr_is_active "$dialog"
}

jr_open_options
options=$JR_OPTIONS
check_help_over "$options" "options dialog"
check_help_over "$options" "options dialog" F1
xdotool key Escape
jr_wait_until 5 "Esc to close the options dialog" jr_unmapped "$options"

xdotool key alt+f
jr_wait_menu
xdotool key s
xdotool key alt+l
dialog=$(jr_wait_window "$SELECT_RE" 5) || jr_fail "Alt+L did not open the product selection dialog"
jr_wait_until 5 "the product selection dialog to take the focus" jr_is_active "$dialog"
check_help_over "$dialog" "product selection dialog"
check_help_over "$dialog" "product selection dialog" F1
xdotool key Escape
jr_wait_until 5 "Esc to close the product selection dialog" jr_unmapped "$dialog"

# F1 in the main window, with the focus in the search box.
jr_activate "$JR_MAIN"
xdotool key alt+e F1
help=$(jr_wait_window '^Nomix95 Help' 5) || jr_fail "F1 in the search box opened no help viewer"
jr_wait_until 5 "the help viewer opened by F1 to take the focus" jr_is_active "$help"
jr_shot "f1-help" >/dev/null
xdotool key alt+F4
jr_wait_until 5 "Alt+F4 to close the help viewer" jr_unmapped "$help"
jr_wait_until 5 "the main window to get the focus back" jr_is_active "$JR_MAIN"
jr_log "passed"
