#!/bin/bash
# SPDX-License-Identifier: MIT
# The options dialog: each option whose effect shows on the main window
# (bitmaps in the grid, columns of unselected products, the modifier buttons
# under complete match, the speed slider), live while the dialog is open,
# undone by Cancel; and a title bar without minimise or maximise.
# Usage: options.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: options.sh PROGRAM}

# The grid's Family column stays hidden, so that the first product's
# markers stand left of the centred options dialog.
jr_start_on_sample "$PROGRAM" ShowFamily=0
jr_grid_visible_rows
full=$JR_VISIBLE_ROWS

jr_type_search virut
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" || jr_fail "searching 'virut' filled no grid rows"

OPTIONS=""
open_options() {
    jr_open_options
    OPTIONS=$JR_OPTIONS
}
# tick KEY: Alt+KEY on a box of the options dialog, then waits until the
# dialog shows the box changed and has settled (an access key presses the
# box for a moment before it toggles; an Esc in that moment would only
# release it).
options_hash() { import -window "$OPTIONS" rgb:- | md5sum; }
options_not() { [ "$(options_hash)" != "$1" ]; }
options_settled() {
    local now
    now=$(options_hash)
    [ "$now" = "$OPTIONS_LAST" ] && return 0
    OPTIONS_LAST=$now
    return 1
}
tick() {
    local before
    before=$(options_hash)
    xdotool key "alt+$1"
    jr_wait_until 3 "Alt+$1 to change a box of the options dialog" options_not "$before"
    OPTIONS_LAST=""
    jr_wait_until 3 "the options dialog to settle after Alt+$1" options_settled
}
close_options() { # KEY: Return for OK, Escape for Cancel
    xdotool key "$1"
    jr_wait_until 5 "$1 to close the options dialog" jr_unmapped "$OPTIONS"
    xdotool key alt+f
    jr_wait_menu
    xdotool key s
}

# rect_is NAME HASH / rect_is_not NAME HASH, for the rectangles below
# (all left of a centred options dialog, or checked after it closed).
marker_rect() { echo $((JR_FAMILY_W + 2)) $(($(jr_grid_top) + 22)) 15 $((full * 20)); }
rect_hash() { jr_rect_hash "$(jr_shot "$1")" $("${1}_rect"); }
rect_is() { [ "$(rect_hash "$1")" = "$2" ]; }
rect_is_not() { [ "$(rect_hash "$1")" != "$2" ]; }
modifier_rect() { jr_modifier_buttons_rect; }

# Show bitmaps: the markers before NO_VIRUS go and come back at once. The
# keyboard goes to the search box first, so that the grid's current-cell
# frame, drawn while the grid has the focus, stays out of the comparison.
jr_click $(jr_search_box_xy)
markers=$(rect_hash marker)
open_options
tick b
jr_poll_until 3 rect_is_not marker "$markers" || jr_fail "unticking Show bitmaps left the grid's markers"
tick b
jr_poll_until 3 rect_is marker "$markers" || jr_fail "ticking Show bitmaps again did not bring the markers back"
tick b
jr_poll_until 3 rect_is_not marker "$markers" || jr_fail "unticking Show bitmaps a second time left the markers"
close_options Escape
jr_poll_until 3 rect_is marker "$markers" || jr_fail "Cancel did not bring the grid's markers back"

# Complete string match: the modifier buttons (on the Search page, so seen
# after the dialog closes) are disabled while it is on.
modifiers=$(rect_hash modifier)
open_options
tick c
close_options Escape
jr_poll_until 3 rect_is modifier "$modifiers" ||
    jr_fail "Cancel after ticking Complete string match left the modifier buttons changed"
open_options
tick c
close_options Return
jr_poll_until 3 rect_is_not modifier "$modifiers" ||
    jr_fail "ticking Complete string match did not disable the modifier buttons"
open_options
tick c
close_options Return
jr_poll_until 3 rect_is modifier "$modifiers" ||
    jr_fail "unticking Complete string match did not enable the modifier buttons again"

# Update items counter moves the speed slider one step (Med. to Min) at once;
# Cancel moves it back. The slider's handle is found by its frame, in the
# column 20 pixels into the slider.
slider_is() {
    local x y w h top
    read -r x y w h < <(jr_track_bar_rect)
    top=$(convert "$(jr_shot slider)" -crop "1x${h}+$((JR_X + x + 20))+$((JR_Y + y))" +repage \
            -colorspace gray -threshold 85% txt:- |
          awk -F'[ ,:]+' 'NR > 1 && $2 > 4 && /#000000|black/ { print $2; exit }')
    if [ -z "$top" ]; then
        SLIDER=unknown
    elif [ "$top" -lt 45 ]; then
        SLIDER=Min
    elif [ "$top" -lt 110 ]; then
        SLIDER=Med.
    else
        SLIDER=Max
    fi
    [ "$SLIDER" = "$1" ]
}
jr_poll_until 3 slider_is Med. || jr_fail "the speed slider starts at $SLIDER, not at Med."
open_options
tick u
close_options Return
jr_poll_until 3 slider_is Min || jr_fail "ticking Update items counter left the speed slider at $SLIDER, not Min"
open_options
tick u
close_options Escape
jr_poll_until 3 slider_is Min || jr_fail "Cancel after unticking Update items counter left the slider at $SLIDER, not Min"
open_options
tick u
close_options Return
jr_poll_until 3 slider_is Med. || jr_fail "unticking Update items counter left the slider at $SLIDER, not Med."

# Show all products: the column of an unselected product hides at once.
xdotool key alt+l
select=$(jr_wait_window '^Select antiviral products' 5) || jr_fail "Alt+L opened no product selection dialog"
jr_wait_until 5 "the product selection dialog to take the focus" jr_is_active "$select"
read -r sx sy _ _ < <(jr_geometry "$select")
jr_pointer_to $((sx + 150)) $((sy + 30))
xdotool click --repeat 2 --delay 80 1
jr_park_pointer
xdotool key alt+o
jr_wait_until 5 "OK to close the product selection dialog" jr_unmapped "$select"
header_colour() { jr_pixel "$(jr_shot header)" $((JR_X + 5)) $((JR_Y + $(jr_grid_top) + 4)); }
header_red() { [ "$(header_colour)" = FF0000 ]; }
header_not_red() { ! header_red; }
jr_poll_until 3 header_not_red || jr_fail "the first product, unselected, still has a red header"
open_options
tick a
jr_poll_until 3 header_red ||
    jr_fail "unticking Show all products left the unselected first product's column (header $(header_colour))"

minimised_back=1
jr_minimise_is_undone "$OPTIONS" || minimised_back=0
jr_activate "$OPTIONS"
close_options Escape
jr_poll_until 3 header_not_red || jr_fail "Cancel did not show the unselected first product's column again"
[ "$minimised_back" = 1 ] || jr_fail "minimising the options dialog put the program away"
jr_log "passed"
