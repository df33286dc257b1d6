# SPDX-License-Identifier: MIT
# Journeys: the built program driven only through the X server, the way a
# user drives it, and judged by what a user can see (captions, pixels, files).
# Sourced by every journey script; needs Xvfb, openbox, xdotool, xwininfo,
# xprop, ImageMagick and (for the tray) trayer.

set -u
set -o pipefail

JR_NAME=$(basename "$0" .sh)
JR_SAMPLE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../resources/sample" && pwd)

JR_TMP=$(mktemp -d "${TMPDIR:-/tmp}/nomix-journey-$JR_NAME.XXXXXX")
JR_SHOTS="$JR_TMP/shots"
JR_DATA="$JR_TMP/data"
export XDG_CONFIG_HOME="$JR_TMP/config"
export XDG_CACHE_HOME="$JR_TMP/cache"
export XDG_DATA_HOME="$JR_TMP/share"
export XDG_RUNTIME_DIR="$JR_TMP/runtime"
JR_SETTINGS="$XDG_CONFIG_HOME/Talvora/Nomix95.reg"
mkdir -p "$JR_SHOTS" "$JR_DATA" "$XDG_CONFIG_HOME/Talvora" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=xcb
export LANG=C.UTF-8
unset LC_ALL WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_QPA_PLATFORMTHEME \
      SESSION_MANAGER

JR_XVFB_PID=""
JR_WM_PID=""
JR_TRAY_PID=""
JR_PROG_PID=""
JR_FAILED=0
JR_POLL=0.05

# The main window's caption and the one regular expression that finds it.
JR_MAIN_CAPTION="Nomix95 - the virus name cross-reference, by its developers"
JR_MAIN_RE='^Nomix95 - the virus name cross-reference'

jr_log() { printf '%s: %s\n' "$JR_NAME" "$*" >&2; }

# The first failure ends the journey; the screenshots stay for a look.
jr_fail() {
    JR_FAILED=1
    printf '%s: FAIL: %s\n' "$JR_NAME" "$*" >&2
    if [ -n "$JR_PROG_PID" ] && ! jr_program_running; then
        local status=0
        wait "$JR_PROG_PID" 2>/dev/null || status=$?
        printf '%s: (the program had already ended, status %s)\n' "$JR_NAME" "$status" >&2
        JR_PROG_PID=""
    fi
    jr_shot "failure" >/dev/null 2>&1 || true
    printf '%s: screenshots and logs kept in %s\n' "$JR_NAME" "$JR_TMP" >&2
    exit 1
}

jr_stop_pid() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    local tries
    for tries in $(seq 40); do
        jr_alive "$pid" || break
        sleep "$JR_POLL"
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

jr_cleanup() {
    jr_stop_pid "$JR_PROG_PID"
    jr_stop_pid "$JR_TRAY_PID"
    jr_stop_pid "$JR_WM_PID"
    jr_stop_pid "$JR_XVFB_PID"
    if [ "$JR_FAILED" = 0 ] && [ -z "${JOURNEY_KEEP:-}" ]; then
        rm -rf "$JR_TMP"
    else
        rm -rf "$JR_DATA" # generated databases are large; the shots are what helps
    fi
}
trap jr_cleanup EXIT
trap 'JR_FAILED=1; printf "%s: FAIL: interrupted\n" "$JR_NAME" >&2; exit 2' INT TERM

# ------------------------------------------------------------------ waiting

# jr_wait_until SECONDS DESCRIPTION COMMAND...: polls COMMAND every 50 ms
# until it succeeds; fails the journey with DESCRIPTION at the deadline.
jr_wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(( $(date +%s%N) + seconds * 1000000000 ))
    while ! "$@" >/dev/null 2>&1; do
        if [ "$(date +%s%N)" -gt "$deadline" ]; then
            jr_fail "waited ${seconds}s for: $what"
        fi
        sleep "$JR_POLL"
    done
}

# Like jr_wait_until, but returns 1 instead of failing.
jr_poll_until() {
    local seconds=$1
    shift
    local deadline=$(( $(date +%s%N) + seconds * 1000000000 ))
    while ! "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep "$JR_POLL"
    done
    return 0
}

# ------------------------------------------------------------------ X server

# jr_start_x [--tray]: a private Xvfb on a free display (JR_SCREEN pixels,
# 1024x768 unless set), openbox on it, and trayer as the notification-area
# host when asked.
JR_SCREEN=${JR_SCREEN:-1024x768}
jr_start_x() {
    local numberfile="$JR_TMP/displayfd"
    : >"$numberfile"
    Xvfb -displayfd 3 -screen 0 "${JR_SCREEN}x24" -nolisten tcp -noreset 3>"$numberfile" \
        >"$JR_TMP/xvfb.log" 2>&1 &
    JR_XVFB_PID=$!
    jr_wait_until 10 "Xvfb to report its display" test -s "$numberfile"
    export DISPLAY=":$(head -n1 "$numberfile")"
    jr_wait_until 10 "Xvfb on $DISPLAY to accept connections" xwininfo -root

    openbox --sm-disable >"$JR_TMP/openbox.log" 2>&1 &
    JR_WM_PID=$!
    jr_wait_until 10 "openbox to manage the screen" jr_wm_running
    if [ "${1:-}" = "--tray" ]; then
        trayer --edge bottom --align right --widthtype pixel --width 160 --height 32 \
            --SetDockType true --expand false --transparent false \
            >"$JR_TMP/trayer.log" 2>&1 &
        JR_TRAY_PID=$!
        jr_wait_until 10 "trayer to take the notification area" jr_tray_running
    fi
}

jr_wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

jr_tray_running() {
    [ -n "$(jr_tray_window)" ]
}

# trayer keeps its window unmapped until the first icon docks.
jr_tray_window() {
    xdotool search --classname '^trayer$' 2>/dev/null | head -n1
}

# ------------------------------------------------------------------ data and settings

# jr_copy_sample: the bundled sample database into the private data folder.
jr_copy_sample() {
    cp "$JR_SAMPLE_DIR/NOMIX.CFG" "$JR_SAMPLE_DIR/NOMIX.DAT" "$JR_DATA/" || jr_fail "no sample database in $JR_SAMPLE_DIR"
}

# jr_write_settings [Name=0|1 ...]: a settings file as the program writes
# it, pointing at the private data folder, with the update alarm and the
# sounds off. Name is an option's value name in the file, or ShowFamily.
# The program's own settings store writes it (nomix95-settingswriter, found
# beside the build's program when the test runner does not name it).
jr_write_settings() {
    local writer=${JR_SETTINGS_WRITER:-$(dirname "$PROGRAM")/../tests/journeys/nomix95-settingswriter}
    [ -x "$writer" ] || jr_fail "no settings writer at $writer"
    "$writer" "$JR_SETTINGS" "$JR_DATA" "$@" || jr_fail "the settings file could not be written"
}

# jr_setting KEYSUFFIX NAME: the raw right-hand side of value NAME under
# the key ...\Nomix\1.1\KEYSUFFIX of the settings file ("" when absent).
jr_setting() {
    local key=$1 name=$2
    awk -v key="[HKEY_CURRENT_USER\\\\Software\\\\Talvora\\\\Nomix\\\\1.1\\\\$key]" \
        -v name="\"$name\"=" '
        { sub(/\r$/, "") }
        /^\[/ { inkey = ($0 == key); next }
        inkey && index($0, name) == 1 { print substr($0, length(name) + 1); exit }
    ' "$JR_SETTINGS"
}

# The search strings of the history in the settings file, one a line.
jr_history() {
    local count
    count=$(jr_setting Search Count)
    count=$((16#${count#dword:}))
    local k
    for ((k = 1; k <= count; k++)); do
        jr_setting Search "string#$k" | sed 's/^"//; s/"$//'
    done
}

# ------------------------------------------------------------------ the program

JR_PROG=""
JR_MAIN=""     # the main window's id
JR_X=0 JR_Y=0  # its client area's upper-left corner on the screen
JR_W=0 JR_H=0

# jr_open_options: the options dialog through File > Preferences and the
# page's Alt+O; its id in JR_OPTIONS, with the focus.
JR_OPTIONS=""
jr_open_options() {
    jr_activate "$JR_MAIN"
    xdotool key alt+f
    jr_wait_menu
    xdotool key p
    xdotool key alt+o
    JR_OPTIONS=$(jr_wait_window '^Options' 5) ||
        jr_fail "Alt+O on the Preferences page opened no options dialog"
    jr_wait_until 5 "the options dialog to take the focus" jr_is_active "$JR_OPTIONS"
}

# jr_choose_in_results_menu KEY: the grid's local menu, opened with the
# right button on the grid, and the item of accelerator KEY.
jr_choose_in_results_menu() {
    jr_click $((JR_FAMILY_W + 100)) $(($(jr_grid_top) + 50)) 3
    jr_wait_menu
    jr_park_pointer
    xdotool key "$1"
}

# jr_save_results_as PATH: "Save results..." from the grid's local menu,
# and PATH typed into the save dialog, whose id is left in JR_SAVE_DIALOG.
JR_SAVE_DIALOG=""
jr_save_results_as() {
    jr_choose_in_results_menu s
    JR_SAVE_DIALOG=$(jr_wait_window '^Save a log of search results' 5) ||
        jr_fail "the grid's Save results... opened no save dialog"
    jr_wait_until 5 "the save dialog to take the focus" jr_is_active "$JR_SAVE_DIALOG"
    xdotool key ctrl+a
    xdotool type --delay 10 "$1"
    xdotool key Return
}

# jr_start_on_sample PROGRAM [Name=value ...]: an X server, a copy of the
# sample database, settings naming it (with the values given, as
# jr_write_settings takes them), and the program up with its menu bar
# measured.
jr_start_on_sample() {
    jr_start_x
    jr_copy_sample
    jr_write_settings "${@:2}"
    case " ${*:2} " in
        *" ShowFamily=0 "*) JR_FAMILY_W=0 ;;
    esac
    jr_start_program "$1"
    jr_find_menu_height
}

# jr_start_program PROGRAM: starts it and waits for its main window.
jr_start_program() {
    JR_PROG=$1
    [ -x "$JR_PROG" ] || jr_fail "no program at $JR_PROG"
    "$JR_PROG" >>"$JR_TMP/program.log" 2>&1 &
    JR_PROG_PID=$!
    # A hint under the pointer would take the first Esc for itself.
    jr_park_pointer
    JR_MAIN=$(jr_wait_window "$JR_MAIN_RE" 30) || jr_fail "the main window did not come up"
    jr_wait_until 10 "the main window to have the input focus" jr_is_active "$JR_MAIN"
    # The window manager may still move the window after it is shown.
    JR_GEOMETRY_SEEN=""
    jr_wait_until 5 "the main window to stay in place" jr_geometry_settled
    jr_main_geometry
}

# True once the main window's geometry read four times in a row (150 ms) is
# the same.
jr_geometry_settled() {
    local now
    now=$(jr_geometry "$JR_MAIN")
    if [ "${JR_GEOMETRY_SEEN%%|*}" = "$now" ]; then
        JR_GEOMETRY_SEEN="$now|${JR_GEOMETRY_SEEN#*|}x"
    else
        JR_GEOMETRY_SEEN="$now|"
    fi
    [ "${JR_GEOMETRY_SEEN#*|}" = xxx ]
}

# jr_alive PID: the process runs (an ended child not yet waited for is a
# zombie, which kill -0 still finds).
jr_alive() {
    [ -n "$1" ] && [ -e "/proc/$1" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

jr_program_running() { jr_alive "$JR_PROG_PID"; }

jr_program_gone() { ! jr_program_running; }

# jr_wait_program_exit SECONDS: waits for the program to end; its exit code
# in JR_EXIT.
jr_wait_program_exit() {
    jr_wait_until "$1" "the program to end" jr_program_gone
    JR_EXIT=0
    wait "$JR_PROG_PID" || JR_EXIT=$?
    JR_PROG_PID=""
}

# Exit through the File menu, as a user ends the program.
jr_exit_program() {
    jr_activate "$JR_MAIN"
    xdotool key alt+f
    jr_wait_menu
    xdotool key e
    jr_wait_program_exit 15
    [ "$JR_EXIT" = 0 ] || jr_fail "the program ended with status $JR_EXIT"
}

# ------------------------------------------------------------------ windows

# jr_wait_window REGEX SECONDS: the id of the first visible window whose
# caption matches REGEX. A window that goes away while xdotool looks (the
# splash, a closing menu) makes one search fail, so it is searched again.
jr_wait_window() {
    local deadline=$(( $(date +%s%N) + $2 * 1000000000 )) id
    while :; do
        id=$(jr_find_window "$1")
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep "$JR_POLL"
    done
}

# jr_find_window REGEX: the same without waiting ("" when there is none).
jr_find_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1
}


jr_mapped() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}
jr_unmapped() { ! jr_mapped "$1"; }

jr_caption() { xdotool getwindowname "$1"; }

jr_is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

jr_activate() {
    xdotool windowactivate "$1" 2>/dev/null || true
    jr_wait_until 5 "window $1 to become active" jr_is_active "$1"
}

# jr_geometry WINDOW: "X Y W H" of the window's client area on the screen.
jr_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}

jr_main_geometry() {
    read -r JR_X JR_Y JR_W JR_H < <(jr_geometry "$JR_MAIN")
}

# jr_frame WINDOW: "X Y W H" of the window with the window manager's frame.
jr_frame() {
    local x y w h left right top bottom
    read -r x y w h < <(jr_geometry "$1")
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
        sed -n 's/.*= *//p' | tr -d ',')
    echo $((x - ${left:-0})) $((y - ${top:-0})) $((w + ${left:-0} + ${right:-0})) \
        $((h + ${top:-0} + ${bottom:-0}))
}

# jr_on_screen WINDOW: the framed window lies wholly on the screen.
jr_on_screen() {
    local x y w h
    read -r x y w h < <(jr_frame "$1")
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "${JR_SCREEN%x*}" ] &&
        [ $((y + h)) -le "${JR_SCREEN#*x}" ]
}

jr_maximised() {
    xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_VERT
}

# A popup menu is up: an override-redirect window of the program is viewable.
jr_menu_up() {
    local w
    for w in $(xdotool search --onlyvisible --classname 'nomix95' 2>/dev/null); do
        xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}
jr_menu_down() { ! jr_menu_up; }
jr_wait_menu() { jr_wait_until 5 "a menu to open" jr_menu_up; }

# jr_click X Y [BUTTON]: a click at a point of the main window's client
# area; the pointer then leaves, so no hint comes up under it.
jr_click() {
    jr_main_geometry
    jr_pointer_to $((JR_X + $1)) $((JR_Y + $2))
    xdotool click "${3:-1}"
    [ "${3:-1}" = 3 ] || jr_park_pointer
}

# ------------------------------------------------------------------ pixels

# jr_shot NAME: a screenshot of the whole screen; prints its path.
jr_shot() {
    local file="$JR_SHOTS/$(date +%H%M%S%N | cut -c1-9)-$1.png"
    import -window root -quality 10 "$file" # fast compression: shots are many
    echo "$file"
}

# jr_pixel FILE X Y: "RRGGBB" of one pixel (screen coordinates).
jr_pixel() {
    convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}

# jr_region_hash FILE X Y W H: a fingerprint of a rectangle's pixels.
jr_region_hash() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage rgb:- | md5sum | cut -d' ' -f1
}

# ------------------------------------------------------------------ the main window's layout

# The central widget starts below the menu bar: the first row, at the left
# edge of the title panel, that has the title panel's colour.
JR_MENU_H=0
jr_find_menu_height() {
    local shot y
    shot=$(jr_shot layout)
    y=$(convert "$shot" -crop "1x120+$((JR_X + 8))+$JR_Y" +repage txt:- |
        awk -F'[ ,:]+' '/#FEFBE7/ { print $2; exit }')
    [ -n "$y" ] || jr_fail "no title panel found below the menu bar"
    # The panel's raised frame is one pixel wide.
    JR_MENU_H=$((y - 1))
}

# Client coordinates of the results grid (its top is 241 pixels below the
# menu bar). The Family column is pinned at its left, so the products'
# columns start JR_FAMILY_W further in.
JR_FAMILY_W=120
jr_grid_top() { echo $((JR_MENU_H + 241)); }

# jr_grid_header_bottom FILE: screen y of the first data row, below the red
# of the selected products' header cells and the header's lower edge.
jr_grid_header_bottom() {
    local top=$((JR_Y + $(jr_grid_top)))
    convert "$1" -crop "1x60+$((JR_X + JR_FAMILY_W + 20))+$top" +repage txt:- |
        awk -F'[ ,:]+' -v top="$top" '
            /#FF0000/ { last = $2 }
            END { if (last != "") print top + last + 2 }'
}

# jr_grid_rows_span FILE: "Y ROWS", the screen y of the first data row and
# how many whole 20-pixel rows the grid's cells show below it, as FILE shows
# the window at the size jr_main_geometry last read. The cells end at the
# first pixel row, across the grid, that is hardly white (or the yellow of
# matched names) any more: the horizontal scroll bar, or the grid's frame
# above the status bar. Returns 1 when no grid header is found.
jr_grid_rows_span() {
    local shot=$1 y0 h w bottom
    y0=$(jr_grid_header_bottom "$shot")
    [ -n "$y0" ] || return 1
    h=$((JR_Y + JR_H - y0)) w=$((JR_W - 30))
    [ "$h" -gt 0 ] || return 1
    bottom=$(convert "$shot" -crop "${w}x${h}+$((JR_X + 4))+$y0" +repage \
        -fill white -opaque '#FFEC82' -colorspace gray -threshold 99% -scale "1x${h}!" \
        -depth 16 txt:- |
        awk -F'[()]' 'NR > 1 { split($1, at, "[,:]"); split($2, v, ",")
                               if (v[1] / 65535 < 0.2) { print at[2]; exit } }')
    echo "$y0" $(( ${bottom:-$h} / 20 ))
}

# jr_grid_dark_rows FILE: how many 20-pixel data rows under the header show
# dark (text) pixels in the visible grid; one band of 18 rows per data row,
# averaged to one value each.
jr_grid_dark_rows() {
    local shot=$1 y0 rows
    jr_main_geometry
    read -r y0 rows < <(jr_grid_rows_span "$shot") || { echo 0; return; }
    [ "${rows:-0}" -gt 0 ] || { echo 0; return; }
    convert "$shot" -crop "$((JR_W - 30))x$((rows * 20))+$((JR_X + 4))+$y0" +repage \
        -colorspace gray -threshold 50% -negate -scale "1x${rows}!" -depth 16 txt:- |
        awk -F'[()]' -v w=$((JR_W - 30)) 'NR > 1 { split($2, v, ","); if (v[1] / 65535 * w * 20 > 20) n++ }
                     END { print n + 0 }'
}

# ------------------------------------------------------------------ keyboard

# Types a search string into the search box (Alt+E focuses it) in place
# of what it holds.
jr_type_search() {
    xdotool key alt+e
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$1"
}

# Client coordinates of the main window's controls, from its layout: the
# search page starts 6 pixels in and 76 below the menu bar (title panel,
# margin and tab bar), and the page control is 230 narrower than the window.
jr_page_x() { echo 6; }
jr_page_y() { echo $((JR_MENU_H + 76)); }
jr_page_w() { echo $((JR_W - 230)); }
jr_search_button_xy() { echo $(($(jr_page_x) + $(jr_page_w) - 103 + 46)) $(($(jr_page_y) + 23)); }
jr_search_box_xy() { echo $(($(jr_page_x) + 12 + 60)) $(($(jr_page_y) + 46)); }
# "X Y W H" rectangles, client coordinates.
jr_search_button_rect() { echo $(($(jr_page_x) + $(jr_page_w) - 103 + 4)) $(($(jr_page_y) + 12)) 84 22; }
jr_modifier_buttons_rect() { echo $(($(jr_page_x) + 12)) $(($(jr_page_y) + 68)) 60 28; }
jr_track_bar_rect() { echo $((JR_W - 196)) $((JR_MENU_H + 83)) 30 140; }
jr_progress_rect() { echo 40 $((JR_MENU_H + 209)) $(($(jr_page_w) - 80)) 18; }

# jr_rect_hash FILE X Y W H (client coordinates).
jr_rect_hash() { jr_region_hash "$1" $((JR_X + $2)) $((JR_Y + $3)) "$4" "$5"; }

# Moves the pointer out of the way, so no hover look or hint is in a shot.
jr_park_pointer() { jr_pointer_to 1 1; }

# jr_pointer_to X Y (screen): moves the pointer and waits until it is there;
# xdotool's own --sync would wait for a motion that never comes when the
# pointer is there already.
jr_pointer_to() {
    [ "$(xdotool getmouselocation --shell | sed -n 's/^[XY]=//p' | tr '\n' ' ')" = "$1 $2 " ] && return 0
    xdotool mousemove --sync "$1" "$2"
}

# jr_grid_rows_at_least N: a fresh screenshot shows at least N data rows
# with text (0 means: none at all).
JR_ROWS=0
jr_grid_rows_at_least() {
    JR_ROWS=$(jr_grid_dark_rows "$(jr_shot grid)")
    [ "$JR_ROWS" -ge "$1" ]
}
jr_grid_empty() {
    local shot
    shot=$(jr_shot grid)
    [ -n "$(jr_grid_header_bottom "$shot")" ] || return 1 # no grid on screen at all
    JR_ROWS=$(jr_grid_dark_rows "$shot")
    [ "$JR_ROWS" = 0 ]
}

# JR_VISIBLE_ROWS: the whole data rows the grid shows when the results fill
# it, measured on a fresh screenshot. A grid with no room for a row fails the
# journey: every later "at least that many rows" would pass on an empty grid.
JR_VISIBLE_ROWS=0
jr_grid_visible_rows() {
    local shot y0
    jr_main_geometry
    shot=$(jr_shot rows)
    read -r y0 JR_VISIBLE_ROWS < <(jr_grid_rows_span "$shot") ||
        jr_fail "no results grid header found on the screen"
    [ "${JR_VISIBLE_ROWS:-0}" -gt 0 ] ||
        jr_fail "the results grid below y=$y0 has no room for a single row"
}

# jr_minimise_is_undone WINDOW: a window that must not be minimised (a
# modal dialog, a progress window) is minimised from outside, as its title
# bar's button would; it and the main window must come back at once. Window
# flags keep the buttons off the title bar where the window manager honours
# them; openbox draws them anyway, and there the program undoes the change.
jr_minimise_is_undone() {
    xdotool windowminimize "$1"
    jr_poll_until 1 jr_unmapped "$1" || true # it may be back before we look
    both_up() { jr_mapped "$1" && jr_mapped "$JR_MAIN"; }
    jr_poll_until 3 both_up "$1"
}

# The program's icon in the notification area: its small window embedded in
# the tray host. Prints "X Y" of its centre on the screen.
jr_tray_icon_centre() {
    local w x y width height
    for w in $(xdotool search --onlyvisible --classname 'nomix95' 2>/dev/null); do
        read -r x y width height < <(jr_geometry "$w")
        if [ "${width:-0}" -gt 0 ] && [ "$width" -le 64 ] && [ "$height" -le 64 ]; then
            echo $((x + width / 2)) $((y + height / 2))
            return 0
        fi
    done
    return 1
}
jr_tray_icon_shown() { jr_tray_icon_centre >/dev/null; }
jr_tray_icon_gone() { ! jr_tray_icon_shown; }
