#!/usr/bin/env bash
# The built program under a virtual X server, driven like a person drives it: real X key and
# mouse events (xdotool), on a private SQLite data source checked with the sqlite3 tool.
#   tarvo_under_x.sh TARVO_BINARY SOURCE_DIR DEFAULT_SCREENSHOT_DIR
# One screenshot of each window goes to $TARVO_SCREENSHOT_DIR (default: the third argument).
set -euo pipefail

tarvo=$1
source_dir=$2
shots=${TARVO_SCREENSHOT_DIR:-$3}
title="QUARNEX - ZEMLO Technical Services"

work=$(mktemp -d /tmp/tarvo-e2e.XXXXXX)
xvfb_pid=""; tarvo_pid=""
cleanup() {
  [ -n "$tarvo_pid" ] && kill "$tarvo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/tarvo.log" ] && sed 's/^/  tarvo: /' "$work/tarvo.log" >&2; exit 1; }
step() { echo "-- $*"; }

# Polls a condition every 0.1 s for at most $2 seconds (default 20).
wait_for() {
  local condition=$1 limit=${2:-20} deadline
  deadline=$(( $(date +%s%N) / 1000000 + limit * 1000 ))
  until eval "$condition"; do
    (( $(date +%s%N) / 1000000 < deadline )) || fail "waited ${limit}s for: $condition"
    sleep 0.1
  done
}
sql() { sqlite3 "$work/faq.db" "$1"; }

# --- a private data source "FAQ" on a new database with the sample entries
cat >"$work/odbcinst.ini" <<INI
[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$(ls /usr/lib/*/odbc/libsqlite3odbc.so /usr/lib/odbc/libsqlite3odbc.so 2>/dev/null | head -n 1)
INI
printf '[FAQ]\nDriver=SQLite3\nDatabase=%s\nTimeout=2000\n' "$work/faq.db" >"$work/odbc.ini"
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini
sqlite3 -bail "$work/faq.db" <"$source_dir/db/faq.sqlite.sql" >/dev/null
for schema in faq-history.sqlite.sql faq-words.sqlite.sql; do   # as tarvo-setup-dsn makes one
  { echo "BEGIN;"; cat "$source_dir/db/$schema"; echo "COMMIT;"; } | sqlite3 -bail "$work/faq.db" >/dev/null
done
sqlite3 -bail "$work/faq.db" <"$source_dir/db/sample-entries.sql"
entries=$(sql "SELECT count(*) FROM faq")

# --- a virtual screen; Xvfb writes its display number once it accepts clients
: >"$work/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for '[ -s "$work/display" ]' 30
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$shots"

# --- start
step "start tarvo on $DISPLAY"
"$tarvo" >"$work/tarvo.log" 2>&1 &
tarvo_pid=$!
wait_for 'xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1' 30
search_window=$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$search_window" | sed 's/^/SW_/')"
echo "search window $search_window at $SW_X,$SW_Y size ${SW_WIDTH}x$SW_HEIGHT"

# Layout units to screen pixels, scaled by the window's own width (a unit is 7/32 px across and
# 8/32 px down at 96 dpi), so the clicks follow whatever scale the program drew at.
at() { # window_x window_y window_w window_h units_w units_h ux uy -> "x y"
  echo "$(( $1 + $7 * $3 / $5 )) $(( $2 + $8 * $3 * 8 / ($5 * 7) ))"
}
in_search() { at "$SW_X" "$SW_Y" "$SW_WIDTH" "$SW_HEIGHT" 3735 2132 "$1" "$2"; }
click() { xdotool mousemove --sync $1 click 1; }
double_click() { xdotool mousemove --sync $1 click --repeat 2 --delay 60 1; }
# Row n of the result list: below the list's frame and its header (72 units), 76 units a row.
row() { in_search 500 $(( 652 + 8 + 72 + 76 * $1 - 38 )); }

# A screenshot of one window once it is drawn: light (not the black of an unpainted or covered
# window) and the same in two captures in a row.
shot() {
  local window=$1 file=$2 previous="$work/shot.previous.png" current="$work/shot.current.png"
  rm -f "$previous"
  wait_for 'import -window "$window" "$current" 2>/dev/null &&
            [ "$(convert "$current" -format "%[fx:mean>0.5]" info:)" = 1 ] &&
            { [ -f "$previous" ] && cmp -s "$previous" "$current" || { mv "$current" "$previous"; false; }; }' 15
  mv "$current" "$file"
}

visible_windows() { xdotool search --onlyvisible --pid "$tarvo_pid" 2>/dev/null | sort; }
window_count() { visible_windows | wc -l; }
new_window() { comm -13 <(echo "$search_window") <(visible_windows) | head -n 1; }

# --- search with real keystrokes
step "type a search and press Search"
click "$(in_search 1095 216)"            # first criterion's text box
xdotool type --delay 40 "pump"
click "$(in_search 3327 538)"            # Search
expected_rows=$(sql "SELECT count(*) FROM faq WHERE pitanje LIKE '%pump%'")
[ "$expected_rows" -ge 2 ] || fail "the sample entries have no two questions with 'pump'"
first_rbr=$(sql "SELECT min(rbr) FROM faq WHERE pitanje LIKE '%pump%'")

# --- a double-click on the first row opens the entry; change its answer and save
step "double-click row 1 (entry $first_rbr) and change its answer"
double_click "$(row 1)"
wait_for '[ "$(window_count)" -eq 2 ]'
entry_window=$(new_window)
shot "$entry_window" "$shots/entry-window.png"
eval "$(xdotool getwindowgeometry --shell "$entry_window" | sed 's/^/EW_/')"
in_entry() { at "$EW_X" "$EW_Y" "$EW_WIDTH" "$EW_HEIGHT" 3721 2132 "$1" "$2"; }
answer="Replaced through real X key events, it's stored."
click "$(in_entry 1854 1238)"             # the answer
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 15 "$answer"
click "$(in_entry 2925 1858)"             # Save
wait_for '[ "$(window_count)" -eq 1 ]'
wait_for '[ "$(sql "SELECT odgovor FROM faq WHERE rbr=$first_rbr")" = "$answer" ]'
[ "$(sql "SELECT count(*) FROM faq")" -eq "$entries" ] || fail "the save changed the number of entries"

# --- the saved entry has a version now: its history from the keyboard, closed with Escape
step "reopen entry $first_rbr, Ctrl+H, Escape, Close"
double_click "$(row 1)"
wait_for '[ "$(window_count)" -eq 2 ]'
entry_window=$(new_window)
eval "$(xdotool getwindowgeometry --shell "$entry_window" | sed 's/^/EW_/')"
click "$(in_entry 1854 1238)"             # the answer, so that the entry window is active
wait_for '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$entry_window" ]'
xdotool key --clearmodifiers ctrl+h       # History…
wait_for '[ "$(window_count)" -eq 3 ]'
history_window=$(comm -13 <(printf '%s\n' "$search_window" "$entry_window" | sort) <(visible_windows) | head -n 1)
[ "$(xdotool getwindowname "$history_window")" = "History of FAQ entry $first_rbr" ] \
  || fail "Ctrl+H opened \"$(xdotool getwindowname "$history_window")\", not the entry's history"
shot "$history_window" "$shots/history-window.png"
xdotool key --clearmodifiers Escape
wait_for '[ "$(window_count)" -eq 2 ]'
click "$(in_entry 3396 1858)"             # Close
wait_for '[ "$(window_count)" -eq 1 ]'
[ "$(sql "SELECT odgovor FROM faq WHERE rbr=$first_rbr")" = "$answer" ] || fail "looking at the history changed the entry"

# --- New FAQ from the keyboard: a new entry that the refreshed search lists; its question is
# longer than the list is wide
step "Ctrl+N, fill it, Ctrl+S"
click "$(in_search 2400 538)"            # the search window, beside its buttons
# A shortcut works in the active window only: wait until the click has made it so.
wait_for '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$search_window" ]'
xdotool key --clearmodifiers ctrl+n      # New FAQ
wait_for '[ "$(window_count)" -eq 2 ]'
entry_window=$(new_window)
eval "$(xdotool getwindowgeometry --shell "$entry_window" | sed 's/^/EW_/')"
question="Does the pump survive the X test when it runs day and night for a whole week at full flow?"
click "$(in_entry 2511 334)"              # the question
xdotool type --delay 15 "$question"
click "$(in_entry 1854 1238)"             # the answer
xdotool type --delay 15 "Yes."
xdotool key --clearmodifiers ctrl+s       # Save
wait_for '[ "$(window_count)" -eq 1 ]'
wait_for '[ "$(sql "SELECT count(*) FROM faq")" -eq $((entries + 1)) ]'
new_rbr=$(sql "SELECT rbr FROM faq WHERE pitanje = '${question//\'/\'\'}'")
[ -n "$new_rbr" ] || fail "the new entry is not stored"
shot "$search_window" "$shots/search-window.png"   # the refreshed list, new entry last
[ "$(sql "SELECT datum FROM faq WHERE rbr=$new_rbr")" = "$(date +%m/%d/%Y)" ] || fail "wrong creation date"

# --- Delete: the save refreshed the list, so the new entry is its last row now
step "Delete the new entry (row $((expected_rows + 1))): NO, then YES"
click "$(row $((expected_rows + 1)))"
click "$(in_search 827 538)"              # Delete
wait_for '[ "$(window_count)" -eq 2 ]'
dialog=$(new_window)
shot "$dialog" "$shots/yes-no-window.png"
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/DW_/')"
in_dialog() { at "$DW_X" "$DW_Y" "$DW_WIDTH" "$DW_HEIGHT" 1362 556 "$1" "$2"; }
click "$(in_dialog 384 424)"              # NO
wait_for '[ "$(window_count)" -eq 1 ]'
[ "$(sql "SELECT count(*) FROM faq WHERE rbr=$new_rbr")" -eq 1 ] || fail "NO deleted the entry"

click "$(in_search 827 538)"              # Delete
wait_for '[ "$(window_count)" -eq 2 ]'
dialog=$(new_window)
eval "$(xdotool getwindowgeometry --shell "$dialog" | sed 's/^/DW_/')"
click "$(in_dialog 969 424)"              # YES
wait_for '[ "$(window_count)" -eq 1 ]'
wait_for '[ "$(sql "SELECT count(*) FROM faq WHERE rbr=$new_rbr")" -eq 0 ]'
[ "$(sql "SELECT count(*) FROM faq")" -eq "$entries" ] || fail "the delete removed other entries"

# --- close: the process ends with status 0
step "Close"
click "$(in_search 1759 538)"             # Close
status=0
wait_for '! kill -0 "$tarvo_pid" 2>/dev/null' 20
wait "$tarvo_pid" || status=$?
tarvo_pid=""
[ "$status" -eq 0 ] || fail "tarvo ended with status $status"
echo "e2e passed; screenshots in $shots"
