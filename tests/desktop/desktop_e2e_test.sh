#!/usr/bin/env bash
# The desktop program with stand-in desktop services on a private D-Bus: a
# message from another computer and a followed colleague's new status each
# raise a notification; a locked screen shows this computer "Away from desk"
# and unlocking makes it "Available" again.
# Usage: desktop_e2e_test.sh PATH_TO_QEL PATH_TO_QELCTL PATH_TO_FAKE_DESKTOP
set -u
QEL=${1:?usage: desktop_e2e_test.sh QEL QELCTL FAKE_DESKTOP}
QELCTL=${2:?}
FAKE=${3:?}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/qel-desktop.XXXXXX")
trap 'kill ${qel:-} ${fake:-} ${bus:-} 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config TMPDIR=$WORK/tmp QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR" "$WORK/share"

# A private bus standing in for both the session and the system bus.
dbus-daemon --session --nofork --print-address=1 >"$WORK/bus" &
bus=$!
for _ in $(seq 1 150); do [ -s "$WORK/bus" ] && break; sleep 0.2; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
unset XDG_SESSION_ID
"$FAKE" notify screensaver >"$WORK/fake" &
fake=$!
for _ in $(seq 1 150); do grep -qs ready "$WORK/fake" && break; sleep 0.2; done

passed=0
failed=0
check() { # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
other() { "$QELCTL" --profile "$WORK/other.ini" --computer OTHER --user ben "$@"; }
own_status() { "$QELCTL" board | awk -F'\t' -v me="$ME" 'NR > 1 && $6 == me { print $2 }'; }
notices() {
    dbus-send --session --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
        org.freedesktop.Notifications.Recorded
}
set_locked() {
    dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
        org.freedesktop.ScreenSaver.SetActive "boolean:$1" >/dev/null
}
eventually() { # eventually COMMAND...: true once COMMAND succeeds, within 60 s
    for _ in $(seq 1 300); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
status_is() { [ "$(own_status)" = "$1" ]; }
notice_has() { notices | grep -qF -- "$1"; }

check "a new database" "$QELCTL" init "$WORK/share" >/dev/null
check "another computer joins" other join "$WORK/share" >/dev/null
ME=$("$QELCTL" board | awk -F'\t' 'NR > 1 && $6 != "OTHER" { print $6 }')
# "Available" then tells that the program has started.
"$QELCTL" status "Gone home" >/dev/null
printf '[Qel]\nFirst_Time_Run=0\n[Watch]\nComputers=OTHER\n[Options]\nAway_When_Locked=Yes\n' >>"$XDG_CONFIG_HOME/Qel.ini"

"$QEL" >"$WORK/qel.log" 2>&1 &
qel=$!
check "the program starts" eventually status_is Available

other send "$ME" "Fish & chips" "at one?" >/dev/null
check "a message raises a notice" eventually notice_has "Qel|New message from BEN|Fish &amp; chips|default,View My InBox"
other status DND >/dev/null
check "a followed colleague's status raises a notice" eventually notice_has "Qel|BEN is now DND|"
check "one notice each" test "$(notices | grep -c 'Qel|')" -eq 2

set_locked true
check "locked: Away from desk" eventually status_is "Away from desk"
set_locked false
check "unlocked: Available" eventually status_is Available

kill "$qel"
wait "$qel"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
