#!/bin/bash
# SPDX-License-Identifier: MIT
# The hits' families and names: the Family column stays at the left of the
# grid while the products scroll sideways; the names that matched the search
# stand on yellow; Ctrl+T opens "Names by product",
# whose export holds each product's names for the hits with their counts;
# a double-click on a name searches for it, and the window follows.
# Usage: names.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: names.sh PROGRAM}

EXPORTS="$JR_TMP/exports"
mkdir -p "$EXPORTS"

jr_start_on_sample "$PROGRAM"
jr_grid_visible_rows
full=$JR_VISIBLE_ROWS

jr_type_search virut
xdotool key Return
jr_poll_until 10 jr_grid_rows_at_least "$full" ||
    jr_fail "searching 'virut': $JR_ROWS of $full grid rows show text"

# The pinned column: its rows' families (dark text) and its title, left of
# the first product. They look the same after the grid has scrolled to its
# last product; the products' part of the grid does not.
family_x=4 family_w=110
rows_top=$(($(jr_grid_top) + 22))
rows_h=$((full * 20 - 4))
products_x=$((family_x + family_w + 20))
family_dark() {
    convert "$1" -crop "${family_w}x${rows_h}+$((JR_X + family_x))+$((JR_Y + rows_top))" +repage \
        -colorspace gray -threshold 50% -format '%[fx:int((1-mean)*w*h)]' info:
}
families_shown() {
    JR_FAMILY_SHOT=$(jr_shot families)
    [ "$(family_dark "$JR_FAMILY_SHOT")" -gt $((full * 10)) ]
}
jr_poll_until 10 families_shown || jr_fail "the Family column shows no families for 'virut'"
before=$JR_FAMILY_SHOT
jr_log "families: $before"
# The first row is clicked below, which selects its family cell with it.
family_rect() { echo "$family_x" "$(jr_grid_top)" "$family_w" 20 "$family_x" $((rows_top + 20)) "$family_w" $((rows_h - 20)); }
family_hash() {
    local x1 y1 w1 h1 x2 y2 w2 h2
    read -r x1 y1 w1 h1 x2 y2 w2 h2 < <(family_rect)
    echo "$(jr_rect_hash "$1" "$x1" "$y1" "$w1" "$h1")$(jr_rect_hash "$1" "$x2" "$y2" "$w2" "$h2")"
}
family_before=$(family_hash "$before")
products_before=$(jr_rect_hash "$before" "$products_x" "$rows_top" 300 "$rows_h")

jr_click $((products_x + 40)) $((rows_top + 10))
xdotool key End
scrolled() {
    JR_SCROLLED_SHOT=$(jr_shot scrolled)
    [ "$(jr_rect_hash "$JR_SCROLLED_SHOT" "$products_x" "$rows_top" 300 "$rows_h")" != "$products_before" ]
}
jr_poll_until 5 scrolled || jr_fail "End in the grid did not scroll it to the last product"
jr_log "scrolled: $JR_SCROLLED_SHOT"
[ "$(family_hash "$JR_SCROLLED_SHOT")" = "$family_before" ] ||
    jr_fail "the Family column changed when the grid scrolled sideways ($JR_SCROLLED_SHOT)"

# Ctrl+T: the window, and its export of every name of every product.
xdotool key ctrl+t
NAMES=$(jr_wait_window '^Names by product$' 5) || jr_fail "Ctrl+T opened no Names by product window"
jr_wait_until 5 "the names window to take the focus" jr_is_active "$NAMES"
jr_log "names window: $(jr_shot names)"

# export_names FILE: the window's export to FILE, as a user saves it.
export_names() {
    jr_activate "$NAMES"
    xdotool key alt+x
    local dialog
    dialog=$(jr_wait_window '^Export names by product' 5) || jr_fail "Alt+X opened no export dialog"
    jr_wait_until 5 "the export dialog to take the focus" jr_is_active "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 10 "$1"
    xdotool key Return
    jr_wait_until 5 "the export to be written" test -s "$1"
}
# The first row of the window's list, below its summary, filter and titles.
NAMES_FIRST_ROW_Y=88
export_names "$EXPORTS/virut.tsv"
head -n1 "$EXPORTS/virut.tsv" | grep -qx $'Product\tName\tCount\tShare' ||
    jr_fail "the export's first line is not its titles: $(head -n1 "$EXPORTS/virut.tsv")"

# Per product the counts add up to the 16 hits, and each product's names
# are the ones the name database gives the lines holding 'virut'.
expected_names() {
    LC_ALL=C awk -F'|' '
        function fields(line, out,    n, k, parts, i) {
            n = split(line, parts, "|"); k = 0
            for (i = 1; i <= n; i++) if (parts[i] != "") out[++k] = parts[i]
            return k
        }
        FNR == 1 { sub(/\r$/, "") }
        NR == FNR {
            n = fields($0, entry)
            for (i = 2; i <= n; i++) { split(entry[i], word, " "); product[i - 1] = word[1] }
            products = n - 1
            next
        }
        {
            sub(/\r$/, "")
            k = fields($0, f)
            for (i = 1; i <= k; i++) if (index(tolower(f[i]), "virut")) { hit = 1; break }
            if (!hit) next
            hit = 0
            for (i = 1; i <= products && i <= k; i++) count[product[i] "\t" f[i]]++
        }
        END { for (key in count) print key "\t" count[key] }' "$JR_DATA/NOMIX.CFG" "$JR_DATA/NOMIX.DAT" |
        sort
}
expected_names >"$JR_TMP/expected"
[ "$(wc -l <"$JR_TMP/expected")" -gt 16 ] || jr_fail "could not work out the expected names"
tail -n +2 "$EXPORTS/virut.tsv" | cut -f1-3 | sort >"$JR_TMP/exported"
diff "$JR_TMP/expected" "$JR_TMP/exported" >"$JR_TMP/names.diff" ||
    jr_fail "the exported names differ from the database's (see $JR_TMP/names.diff)"
awk -F'\t' 'NR > 1 { sum[$1] += $3 } END { for (p in sum) if (sum[p] != 16) exit 1 }' \
    "$EXPORTS/virut.tsv" || jr_fail "a product's counts do not add up to the 16 hits"

# A double-click on the first name searches for it: the grid shows that
# search's hits and the window follows with their names.
first_name=$(sed -n 2p "$EXPORTS/virut.tsv" | cut -f2)
read -r NX NY NW NH < <(jr_geometry "$NAMES")
jr_pointer_to $((NX + 150)) $((NY + NAMES_FIRST_ROW_Y))
xdotool click --repeat 2 --delay 80 1
jr_park_pointer
export_names "$EXPORTS/second.tsv"
cmp -s "$EXPORTS/virut.tsv" "$EXPORTS/second.tsv" &&
    jr_fail "after a double-click on '$first_name' the window still lists the hits of 'virut'"
grep -q "	$first_name	" "$EXPORTS/second.tsv" ||
    jr_fail "the search for '$first_name' lists no such name"
jr_log "after the double-click: $(jr_shot second)"

# The names that matched stand on yellow: after the search for the first
# name, the grid's visible cells holding it are yellow, the others white.
matched_pixels() {
    convert "$1" -crop "$((JR_W - 30 - JR_FAMILY_W))x$rows_h+$((JR_X + JR_FAMILY_W + 4))+$((JR_Y + rows_top))" \
        +repage -fill black +opaque '#FFEC82' -fill white -opaque '#FFEC82' \
        -format '%[fx:int(mean*w*h)]' info:
}
jr_activate "$JR_MAIN"
jr_park_pointer
yellow_shown() {
    JR_YELLOW_SHOT=$(jr_shot matched)
    [ "$(matched_pixels "$JR_YELLOW_SHOT")" -gt 1000 ]
}
jr_poll_until 5 yellow_shown || jr_fail "no matched name is drawn on yellow ($JR_YELLOW_SHOT)"

jr_exit_program
jr_log "passed"
