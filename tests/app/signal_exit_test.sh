#!/usr/bin/env bash
# The desktop program ended by a signal (a logout, a shutdown, `kill`) leaves
# this computer "Offline" with empty comments, as a normal exit does.
# Usage: signal_exit_test.sh PATH_TO_QEL PATH_TO_QELCTL
set -u
QEL=${1:?usage: signal_exit_test.sh QEL QELCTL}
QELCTL=${2:?usage: signal_exit_test.sh QEL QELCTL}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/qel-signal.XXXXXX")
trap 'kill -9 "${pid:-0}" 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config TMPDIR=$WORK/tmp XDG_RUNTIME_DIR=$WORK/tmp QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME" "$TMPDIR" "$WORK/share"

passed=0
failed=0
check() { # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
# The status column of this computer's row.
own_status() { "$QELCTL" board | awk -F'\t' 'NR > 1 { print $2 }'; }
own_comments() { "$QELCTL" board | awk -F'\t' 'NR > 1 { print $5 }'; }
wait_for_status() { # wait_for_status TEXT: up to 20 s
    for _ in $(seq 1 100); do
        [ "$(own_status)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

check "a new database" "$QELCTL" init "$WORK/share" >/dev/null
printf '[Qel]\nFirst_Time_Run=0\n' >>"$XDG_CONFIG_HOME/Qel.ini"
"$QELCTL" status DND >/dev/null
"$QELCTL" comment "back soon" >/dev/null

for signal in TERM INT HUP; do
    "$QEL" >"$WORK/qel.log" 2>&1 &
    pid=$!
    check "SIG$signal: the program starts and announces itself" wait_for_status Available
    kill -"$signal" "$pid"
    wait "$pid"
    code=$?
    check "SIG$signal: the program ends normally (exit $code)" test "$code" -eq 0
    check "SIG$signal: the record goes Offline" test "$(own_status)" = Offline
    check "SIG$signal: the comments are cleared" test -z "$(own_comments)"
    "$QELCTL" comment "back soon" >/dev/null
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
