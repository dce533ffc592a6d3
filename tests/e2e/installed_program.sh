#!/usr/bin/env bash
# An installed copy works like the build: `cmake --install` into a fresh prefix gives a launcher
# entry and metainfo that the desktop's validators accept and an icon at every size; the entry's
# command, found through bin/ on PATH, opens the program from its read-only folder under lib/.
# It plays the mix stored in the user's ~/.config from the installed recordings, and a row
# ticked by a click is kept there when the program closes.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

build=${1:?usage: installed_program.sh path/to/build-folder}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "installed_program: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start
prefix="$QF_SESSION_DIR/prefix"
cmake --install "$build" --prefix "$prefix" >"$QF_SESSION_DIR/logs/install.log" 2>&1 ||
    fail "cmake --install failed: $(tail -n 5 "$QF_SESSION_DIR/logs/install.log")"

entry=$(find "$prefix/share/applications" -name '*.desktop')
[[ $(wc -l <<<"$entry") -eq 1 && -n $entry ]] || fail "expected one launcher entry, found: $entry"
id=$(basename "$entry" .desktop)
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[[ -z $report ]] || fail "desktop-file-validate has remarks: $report"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
report=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1) || fail "appstreamcli: $report"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
for minutes in 30 60 90; do
    grep -qx "Exec=quietfield --sleep $minutes" "$entry" || fail "no action sleeps in $minutes minutes"
done
grep -qx "Icon=$id" "$entry" || fail "the entry does not name the icon $id"
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    [[ $(identify -format '%wx%h' "$icon" 2>/dev/null) == "${size}x$size" ]] ||
        fail "no ${size} px icon at $icon"
done

# The mix stored by an earlier run: pink noise at full level.
mkdir -p "$XDG_CONFIG_HOME/quietfield"
user_file="$XDG_CONFIG_HOME/quietfield/settings.ini"
printf '0,1,0,0,0,0,0,0,0,0,22050,22050,22050,22050,22050\r\n' >"$user_file"

# The installed folder is made read-only as a package's is for its users. Root may write to any
# folder whatever its mode, so as root it is mounted read-only in a mount namespace of the
# program's own.
command=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
app_dir="$prefix/lib/quietfield"
if [[ $(id -u) -eq 0 ]]; then
    # shellcheck disable=SC2016 # expanded by the inner shell
    read_only=(unshare --mount --propagation private sh -c
        'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" "$0" && exec "$@"' "$app_dir")
else
    chmod -R a-w "$app_dir"
    # The session's folder is removed at the end, which needs the folder writable again.
    trap 'chmod -R u+w "$app_dir"; qf_session_stop' EXIT
    read_only=()
fi
# shellcheck disable=SC2086 # the entry's command line is split into words as a launcher does
PATH="$prefix/bin:$PATH" qf_spawn "${read_only[@]}" $command
QF_APP_PID=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) ||
    fail "the installed program opened no main window"
QF_MENU_H=$(($(xdotool getwindowgeometry --shell "$QF_APP_WID" | sed -n 's/^HEIGHT=//p') - 336))
# Past the stored mix's 3 s rise at the start.
sleep 3.5
qf_record_start "$QF_SESSION_DIR/stored.raw"
sleep 1.5
qf_record_stop
# Only the installed folder holds the recordings, so hearing them shows that the program found
# its folder through the link.
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/stored.raw" --min-active 1 \
    --min-db -24 --max-db -16 || fail "the stored row does not play"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/stored.raw" --skip 0 --expect -3.01 \
    --tolerance 0.5 || fail "the stored row does not play the pink noise recording"

# Tick "Brown Noise", then "Close".
qf_tick_row 1
sleep 0.3
qf_click_close
status=0
wait "$QF_APP_PID" || status=$?
((status == 0)) || fail "the program exited with status $status after Close"

if ! cmp -s "$user_file" <(printf '1,1,0,0,0,0,0,0,0,0,22050,22050,22050,22050,22050\r\n'); then
    fail "$user_file holds $(od -c "$user_file" 2>&1 | head -3)"
fi
left=$(find "$app_dir" -iname 'settings.ini*')
[[ -z $left ]] || fail "the program wrote into its installed folder: $left"
echo "installed_program: $id validated, icons at 6 sizes; the launcher's command played the" \
    "stored pink noise from $app_dir and kept the ticked row in ~/.config"
