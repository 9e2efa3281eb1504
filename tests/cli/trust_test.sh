#!/usr/bin/env bash
# qelctl against what it cannot trust: signals while it is blocked, damaged
# and hostile data, four computers doing first use at once, and kills in the
# middle of creating a database or its status catalogue.
# Usage: trust_test.sh PATH_TO_QELCTL
set -u
QELCTL=${1:?usage: trust_test.sh PATH_TO_QELCTL}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/qelctl-trust.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_CONFIG_HOME"
failed=0
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
# pc NAME ARGS...: qelctl as computer NAME with its own profile file.
pc() { local name=$1; shift; "$QELCTL" --profile "$WORK/$name.ini" --computer "$name" "$@"; }
lines() { grep -c '' <<<"$1"; }

# --- every command ends at once on SIGTERM/SIGINT, even blocked on a FIFO ---
mkfifo "$WORK/fifo.ini"
for signal in TERM:143 INT:130; do
    "$QELCTL" --profile "$WORK/fifo.ini" board >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 200); do grep -q fifo "/proc/$pid/wchan" 2>/dev/null && break; sleep 0.1; done
    kill -"${signal%:*}" "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then fail "SIG${signal%:*} did not end qelctl"; kill -KILL "$pid"; fi
    wait "$pid"
    code=$?
    [ "$code" = "${signal#*:}" ] || fail "SIG${signal%:*}: exit $code, expected ${signal#*:}"
done

# --- damaged data is named, hostile text is escaped ---
SHARE=$WORK/share
mkdir -p "$SHARE"
pc PC1 init "$SHARE" >/dev/null || fail "init"
pc PC1 send PC1 "Hi" $'bell\a esc\e[31m red\nline two\ttab' >/dev/null || fail "send"
out=$(pc PC1 read 1)
[ "$out" = $'bell\\x07 esc\\x1b[31m red\nline two\ttab' ] || fail "read shows raw control characters: $out"
pc PC1 departments >/dev/null || fail "departments"
for case in QelDBase:board QelDBase:users QelStats:statuses QelDeps:departments QelMesg:inbox; do
    file=$SHARE/${case%:*}.isd command=${case#*:}
    cp "$file" "$WORK/kept.isd"
    truncate -s $(($(stat -c %s "$file") / 2)) "$file"
    pc PC1 "$command" >"$WORK/out" 2>"$WORK/err"
    code=$?
    [ "$code" = 1 ] && [ ! -s "$WORK/out" ] && grep -q 'amaged' "$WORK/err" ||
        fail "$command on a cut ${case%:*}.isd: exit $code, $(cat "$WORK/out" "$WORK/err")"
    mv "$WORK/kept.isd" "$file"
done

# --- four computers at once: first seeding, first message ---
rm "$SHARE/QelStats.isd" "$SHARE/QelMesg.isd"
for n in 2 3 4 5; do pc PC$n join "$SHARE" >/dev/null || fail "join PC$n"; done
for n in 2 3 4 5; do pc PC$n statuses >"$WORK/statuses$n" 2>&1 & done
wait
for n in 2 3 4 5; do pc PC$n send PC1 "race" "from PC$n" >"$WORK/send$n" 2>&1 & done
wait
for n in 2 3 4 5; do
    [ "$(lines "$(cat "$WORK/statuses$n")")" = 10 ] || fail "PC$n statuses: $(cat "$WORK/statuses$n")"
    [ ! -s "$WORK/send$n" ] || fail "PC$n send: $(cat "$WORK/send$n")"
done
[ "$(pc PC1 inbox | grep -c race)" = 4 ] || fail "not all four first messages are stored"

# --- four computers creating one database at once: one administrator ---
RACE=$WORK/race
mkdir -p "$RACE"
for n in 1 2 3 4; do pc R$n init "$RACE" >"$WORK/init$n" 2>&1 & done
wait
[ "$(cat "$WORK"/init? | grep -c '(administrator)')" = 1 ] || fail "not one administrator: $(cat "$WORK"/init?)"
for n in 1 2 3 4; do grep -q '(administrator)' "$WORK/init$n" && admin=R$n; done
[ "$(pc "$admin" users | awk -F'\t' '$8 == 1' | wc -l)" = 1 ] || fail "the users dataset has not one administrator"

# --- kills while creating a database or seeding its status catalogue ---
# killed DELAY ARGS...: qelctl as computer K, killed after DELAY seconds (and reaped).
killed() {
    local delay=$1
    shift
    "$QELCTL" --computer K "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
for i in $(seq 30); do
    folder=$WORK/kill$i
    profile=(--profile "$WORK/k$i.ini")
    mkdir -p "$folder"
    delay=0.$((RANDOM % 40))
    killed "$delay" "${profile[@]}" init "$folder"
    if [ -e "$folder/QelDBase.isd" ]; then
        [ "$("$QELCTL" "${profile[@]}" --computer K users 2>&1 | awk -F'\t' '$7 == "K" && $8 == 1' | wc -l)" = 1 ] ||
            fail "kill after $delay s left a users dataset without its administrator"
        rm -f "$folder/QelStats.isd"
        killed "$delay" "${profile[@]}" statuses
    fi
    # The next start goes on; whatever the kill left is cleared away by the
    # next create or open.
    for command in "init $folder" users; do
        "$QELCTL" "${profile[@]}" --computer K $command >/dev/null 2>&1
    done
    [ "$(lines "$("$QELCTL" "${profile[@]}" --computer K statuses)")" = 10 ] ||
        fail "kill after $delay s left a status catalogue without its ten statuses"
    leftovers=$(ls "$folder" | grep -c '\.new-')
    [ "$leftovers" = 0 ] || fail "kill after $delay s: files left behind: $(ls "$folder")"
done

[ "$failed" = 0 ] && echo "trust_test: all passed"
exit $((failed > 0))
