#!/bin/bash
# SPDX-License-Identifier: MIT
# Saving the results as a report: a new file, then appended to, then
# overwritten (and Cancel in the file-exists question), each file compared
# byte for byte with the report the search must give (the banner line, which
# holds the date and time, only by its form).
# Usage: report.sh PROGRAM
source "$(dirname "$0")/lib.sh"
PROGRAM=${1:?usage: report.sh PROGRAM}

SEARCH=virut
REPORT="$JR_TMP/reports/virut.nrp"
mkdir -p "$JR_TMP/reports"

jr_start_on_sample "$PROGRAM"
jr_grid_visible_rows
full=$JR_VISIBLE_ROWS

# The report after its banner line, worked out from the data files: every
# line with a product name containing the string (all products selected),
# then for each hit one line per product, CR LF line ends.
expected_body() {
    LC_ALL=C awk -v s="$SEARCH" '
        function fields(line, out,    n, k, parts, i) {
            n = split(line, parts, "|"); k = 0
            for (i = 1; i <= n; i++) if (parts[i] != "") out[++k] = parts[i]
            return k
        }
        FNR == 1 { sub(/\r$/, "") }
        NR == FNR {
            n = fields($0, entry)
            for (i = 2; i <= n; i++) {
                w = split(entry[i], word, " "); name = ""; inversion = 0
                for (j = 1; j < w; j++) {
                    if (word[j] ~ /^[0-9]/) inversion = 1
                    if (!inversion) name = name (name == "" ? "" : " ") word[j]
                }
                product[++products] = name
            }
            next
        }
        {
            sub(/\r$/, "")
            k = fields($0, f)
            for (i = 1; i <= k; i++) if (index(tolower(f[i]), tolower(s))) { hit[++hits] = $0; break }
        }
        END {
            printf "\r\n%-25s: \"%s\"\r\n%-25s: #%d\r\n\r\n\r\n", "Word searched", s, "Total items found", hits
            for (h = 1; h <= hits; h++) {
                k = fields(hit[h], f)
                for (i = 1; i <= products; i++) printf "%-25s: %s\r\n", product[i], (i <= k ? f[i] : "")
                printf "\r\n"
            }
        }' "$JR_DATA/NOMIX.CFG" "$JR_DATA/NOMIX.DAT"
}
expected_body >"$JR_TMP/body"
[ "$(grep -c '^Word searched' "$JR_TMP/body")" = 1 ] && [ -s "$JR_TMP/body" ] || jr_fail "could not work out the expected report"

BANNER_RE='^NOMIX 1\.1 for Windows 95 - by .* [0-9].* [0-9]+:[0-9]+(:[0-9]+)?.*'$'\r''$'

# report_is COPIES: the report file holds COPIES whole reports, one after
# the other, each a banner line and then exactly the expected body.
report_is() {
    local copies=$1 banners
    [ -f "$REPORT" ] || return 1
    banners=$(grep -c -E "$BANNER_RE" "$REPORT")
    [ "$banners" = "$copies" ] || return 1
    local expected="$JR_TMP/expected" k=0
    : >"$expected"
    while IFS= read -r banner; do
        printf '%s\n' "$banner" >>"$expected"
        cat "$JR_TMP/body" >>"$expected"
        k=$((k + 1))
    done < <(grep -E "$BANNER_RE" "$REPORT")
    cmp -s "$expected" "$REPORT"
}
describe_report() {
    if [ ! -f "$REPORT" ]; then echo "no file"; return; fi
    echo "$(wc -c <"$REPORT") bytes, $(grep -c -E "$BANNER_RE" "$REPORT") banner lines, one report is $(( $(wc -c <"$JR_TMP/body") + $(head -n1 "$REPORT" | wc -c) )) bytes; first difference: $(cmp "$JR_TMP/expected" "$REPORT" 2>&1 | head -n1)"
}

jr_type_search "$SEARCH"
xdotool key alt+s
jr_poll_until 10 jr_grid_rows_at_least "$full" || jr_fail "searching '$SEARCH' filled no grid rows"

# The grid's local menu, "Save results...", the save dialog with a typed path.
save_to_report() {
    jr_activate "$JR_MAIN"
    jr_save_results_as "$REPORT"
    jr_wait_until 5 "the save dialog to close" jr_unmapped "$JR_SAVE_DIALOG"
}
WARNING=""
wait_file_exists_question() {
    WARNING=$(jr_wait_window '^ Warning$' 5) ||
        jr_fail "saving over an existing report asked nothing (no \" Warning\" window)"
    jr_wait_until 5 "the file-exists question to take the focus" jr_is_active "$WARNING"
}

save_to_report
jr_poll_until 10 report_is 1 || jr_fail "the new report is not the expected one: $(describe_report)"
first=$(md5sum <"$REPORT")

save_to_report
wait_file_exists_question
xdotool key alt+c
jr_wait_until 5 "Cancel to close the file-exists question" jr_unmapped "$WARNING"
[ "$(md5sum <"$REPORT")" = "$first" ] || jr_fail "Cancel in the file-exists question changed the report"

save_to_report
wait_file_exists_question
xdotool key alt+a
jr_poll_until 10 report_is 2 || jr_fail "the appended report is not two reports: $(describe_report)"
[ "$(head -n "$(( $(wc -l <"$JR_TMP/body") + 1 ))" "$REPORT" | md5sum)" = "$first" ] ||
    jr_fail "appending changed the first report in the file"

save_to_report
wait_file_exists_question
xdotool key alt+o
jr_poll_until 10 report_is 1 || jr_fail "the overwritten report is not one report: $(describe_report)"
jr_log "passed"
