#!/usr/bin/env bash
# An office of three computers, PC1 to PC3, each a qelctl with its own profile
# file, sharing one database folder: create and join, statuses and comments,
# the catalogues, messages each way, administrator rights granted and
# withdrawn, a deleted user, bad input, and a burst of all three writing at
# once. Usage: office_test.sh PATH_TO_QELCTL
set -u

QELCTL=${1:?usage: office_test.sh PATH_TO_QELCTL}
QELCTL=$(cd "$(dirname "$QELCTL")" && pwd)/$(basename "$QELCTL")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/qelctl-office.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# Nothing may touch the real settings of whoever runs the tests.
export XDG_CONFIG_HOME=$WORK/config
SHARE=$WORK/share
mkdir -p "$SHARE" "$XDG_CONFIG_HOME"

passed=0
failed=0
OUT=$WORK/out
ERR=$WORK/err

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAIL: $*"
    echo "  stdout: $(head -c 600 "$OUT" 2>/dev/null)"
    echo "  stderr: $(head -c 600 "$ERR" 2>/dev/null)"
}

# pc NAME ARGS...: qelctl as computer NAME with its own profile file.
pc() {
    local name=$1
    shift
    "$QELCTL" --profile "$WORK/$name.ini" --computer "$name" --user "user_$name" "$@"
}

# expect CODE WHAT COMMAND...: runs COMMAND (output in $OUT and $ERR) and
# checks its exit code.
expect() {
    local want=$1 what=$2
    shift 2
    "$@" >"$OUT" 2>"$ERR"
    local got=$?
    if [ "$got" = "$want" ]; then pass; else fail "$what: exit code $got, expected $want"; fi
}

# check WHAT CONDITION...: the condition (a command) must succeed.
check() {
    local what=$1
    shift
    if "$@"; then pass; else fail "$what"; fi
}

err_has() { grep -qF -- "$1" "$ERR"; }
out_has() { grep -qF -- "$1" "$OUT"; }
out_is() { [ "$(cat "$OUT")" = "$1" ]; }

# board_field AS COMPUTER COLUMN: one column of COMPUTER's row on the board
# as AS reads it (1 User, 2 Status, 3 Ext, 4 Department, 5 Comments).
board_field() {
    pc "$1" board | awk -F'\t' -v pc="$2" -v col="$3" 'NR > 1 && $6 == pc { print $col }'
}
board_computers() { pc "$1" board "${@:2}" | awk -F'\t' 'NR > 1 { printf "%s ", $6 }'; }

# json_eval FILE EXPRESSION: prints the Python expression over the parsed
# JSON `d`.
json_eval() { python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' "$1" "$2"; }

long() { head -c "$1" /dev/zero | tr '\0' "${2:-x}"; }

# --- usage errors -----------------------------------------------------------
expect 2 "no command" "$QELCTL"
check "one line pointing to the help" [ "$(cat "$ERR")" = "qelctl: no command given. Try 'qelctl --help'." ]
expect 2 "unknown command" pc PC1 frobnicate
expect 2 "unknown global option" "$QELCTL" --colour red board
expect 2 "missing option value" "$QELCTL" --profile
expect 2 "status without a name" pc PC1 status
expect 2 "status with two names" pc PC1 status a b
expect 2 "unknown command option" pc PC1 board --wide
expect 2 "message key not a number" pc PC1 read abc
expect 2 "admin flag other than 0 or 1" pc PC1 set-user PC2 --admin yes
expect 2 "Offline only through offline" pc PC1 status Offline
expect 2 "watch interval not a number" pc PC1 watch --interval soon
expect 1 "computer name longer than a record holds" "$QELCTL" --profile "$WORK/x.ini" --computer "$(long 21)" board
check "long computer name refused clearly" err_has "does not fit a users record"
expect 0 "help" "$QELCTL" help
check "help lists the commands" out_has "delete-user COMPUTER"

# --- create and join ----------------------------------------------------------
expect 1 "board before any database is set" pc PC1 board
check "says how to set one" err_has "qelctl init FOLDER"
expect 1 "join a folder without a database" pc PC1 join "$SHARE"
check "join refused with the wizard's text" err_has "Qel was unable to find an QelDBase"
check "refused join stores nothing" [ ! -e "$WORK/PC1.ini" ]
expect 1 "init a missing folder" pc PC1 init "$WORK/nowhere"
check "missing folder named" err_has "no such folder"
expect 0 "PC1 creates the database" pc PC1 init "$SHARE"
check "database file made" [ -f "$SHARE/QelDBase.isd" ]
check "location stored in PC1's profile" grep -qF "Qel_DBaseLocation=$SHARE/" "$WORK/PC1.ini"
expect 1 "second create in the same folder" pc PC2 init "$SHARE"
check "create refused with the wizard's text" err_has "An QelDBase already exists in this folder"
expect 0 "PC2 joins" pc PC2 join "$SHARE"
expect 0 "PC3 joins (relative folder)" bash -c "cd '$WORK' && '$QELCTL' --profile PC3.ini --computer pc3 --user user_PC3 join share"
expect 0 "PC2 joins again" pc PC2 join "$SHARE"
check "three users in key order, none twice" [ "$(board_computers PC3)" = "PC1 PC2 PC3 " ]
check "login names seed the user names" [ "$(board_field PC1 PC3 1)" = "USER_PC3" ]
check "everyone starts Available" [ "$(board_field PC2 PC1 2)" = "Available" ]
expect 0 "board header" pc PC1 board
check "board header is tab-separated" [ "$(head -n1 "$OUT")" = "$(printf 'User\tStatus\tExt\tDepartment\tComments\tComputer')" ]

# --- statuses and comments --------------------------------------------------------
expect 0 "PC2 sets a status" pc PC2 status "In meeting"
check "PC1 sees PC2's status" [ "$(board_field PC1 PC2 2)" = "In meeting" ]
expect 0 "PC3 sets a custom status" pc PC3 status "Gardening"
expect 1 "status of 31 characters" pc PC3 status "$(long 31)"
check "too long status refused clearly" err_has "too long"
check "refused status leaves the old one" [ "$(board_field PC1 PC3 2)" = "Gardening" ]
expect 0 "status of 30 characters" pc PC3 status "$(long 30 s)"
check "30 characters stored whole" [ "$(board_field PC1 PC3 2)" = "$(long 30 s)" ]
expect 0 "PC2 comment with a tab, quotes, a backslash and non-ASCII" pc PC2 comment $'back\tat "3" \\ M\xc3\xbcller'
check "TSV keeps the row whole, escapes visible" [ "$(board_field PC1 PC2 5)" = 'back\tat "3" \\ Müller' ]
expect 1 "comment of 41 bytes" pc PC2 comment "$(long 41)"
check "refused comment leaves the old one" [ "$(board_field PC1 PC2 5)" = 'back\tat "3" \\ Müller' ]
expect 0 "board --json" pc PC1 board --json
cp "$OUT" "$WORK/board.json"
check "JSON comment round-trips" [ "$(json_eval "$WORK/board.json" 'd[1]["comments"] == "back\tat \"3\" \\ Müller"')" = True ]
check "JSON image and administrator" [ "$(json_eval "$WORK/board.json" '[(u["computer"], u["image"], u["administrator"]) for u in d]')" = "[('PC1', 1, True), ('PC2', 5, False), ('PC3', 9, False)]" ]
expect 0 "PC3 goes offline" pc PC3 offline
check "offline status" [ "$(board_field PC1 PC3 2)" = "Offline" ]
expect 0 "PC3 comment" pc PC3 comment "back at 2"
expect 0 "PC3 offline again" pc PC3 offline
check "offline empties the comments" [ -z "$(board_field PC1 PC3 5)" ]
expect 0 "PC3 back" pc PC3 status Available

# --- catalogues and administrator rights -----------------------------------------
expect 0 "statuses for a plain user" pc PC2 statuses
check "ten built-in statuses, keyed" [ "$(wc -l <"$OUT")" = 10 ] 
check "first status" out_has "$(printf '0000000001\tAt lunch')"
expect 3 "plain user adds a status" pc PC2 add-status "Working from home"
check "administrator text" err_has "Administrator rights required"
expect 3 "plain user lists users" pc PC2 users
expect 3 "plain user edits a user" pc PC2 set-user PC2 --admin 1
expect 3 "plain user deletes a user" pc PC2 delete-user PC3
expect 3 "plain user adds a department" pc PC3 add-department Sales
expect 0 "administrator adds a status" pc PC1 add-status "Working from home"
expect 0 "PC2 sees the new status" pc PC2 statuses
check "new status listed" out_has "$(printf '0000000011\tWorking from home')"
expect 1 "duplicate status" pc PC1 add-status "Working from home"
check "duplicate named" err_has 'Status "Working from home" already exists'
expect 1 "blank status" pc PC1 add-status "   "
expect 1 "rename a built-in status" pc PC1 rename-status Available Here
expect 1 "delete a built-in status" pc PC1 delete-status DND
check "built-in refusal" err_has "built-in status"
expect 1 "status name of 31 characters" pc PC1 add-status "$(long 31)"
expect 0 "rename a status" pc PC1 rename-status "Working from home" WFH
expect 1 "rename a missing status" pc PC1 rename-status "Nope" Other
expect 0 "delete a status" pc PC1 delete-status WFH
expect 0 "statuses after delete" pc PC3 statuses
check "deleted status gone, built-ins stay" [ "$(wc -l <"$OUT")" = 10 ]
expect 0 "add department Sales" pc PC1 add-department Sales
expect 0 "add department Support" pc PC1 add-department Support
expect 1 "department name of 21 characters" pc PC1 add-department "$(long 21)"
expect 0 "rename department" pc PC1 rename-department Support Helpdesk
expect 0 "delete department" pc PC1 delete-department Sales
expect 1 "delete missing department" pc PC1 delete-department Sales
expect 0 "departments" pc PC2 departments
check "one department left, keeps its key" out_is "$(printf '0000000002\tHelpdesk')"
expect 0 "administrator sets PC2's department and extension" pc PC1 set-user pc2 --department Helpdesk --ext 4711
check "department on the board" [ "$(board_field PC3 PC2 4)" = "Helpdesk" ]
check "extension on the board" [ "$(board_field PC3 PC2 3)" = "4711" ]
check "set-user keeps the other fields" [ "$(board_field PC3 PC2 2)" = "In meeting" ]
check "department filter" [ "$(board_computers PC1 --department Helpdesk)" = "PC2 " ]
check "department filter compares whole texts" [ -z "$(board_computers PC1 --department Help)" ]
expect 1 "user name of 21 characters" pc PC1 set-user PC2 --name "$(long 21)"
expect 1 "set-user of an unknown computer" pc PC1 set-user NOBODY --ext 1
expect 0 "PC1 grants PC2 administrator rights" pc PC1 set-user PC2 --admin 1
expect 0 "PC2 adds a department now" pc PC2 add-department Finance
expect 0 "PC2 lists users" pc PC2 users
check "users lists flags" [ "$(awk -F'\t' 'NR > 1 { printf "%s=%s ", $7, $8 }' "$OUT")" = "PC1=1 PC2=1 PC3=0 " ]
expect 0 "PC1 withdraws PC2's rights" pc PC1 set-user PC2 --admin 0
expect 3 "PC2 refused again" pc PC2 add-department Legal
check "refusal text" err_has "Administrator rights required"
expect 0 "PC2's own status keeps working" pc PC2 status DND

# --- messages each way --------------------------------------------------------------
expect 0 "PC1 to PC2" pc PC1 send PC2 "Lunch?" "At noon, canteen"
expect 0 "PC2 to PC1" pc PC2 send pc1 "Re: Lunch?" "Yes"
expect 0 "PC3 to PC2" pc PC3 send PC2 "Parcel" $'At the desk\nsecond line'
expect 1 "send to an unknown computer" pc PC1 send NOBODY "x" "y"
check "unknown recipient named" err_has "Unable to find NOBODY in Users Databse!"
expect 1 "subject of 31 characters" pc PC1 send PC2 "$(long 31)" "y"
expect 1 "text of 256 characters" pc PC1 send PC2 "s" "$(long 256)"
expect 0 "text of 255 characters" pc PC1 send PC3 "s" "$(long 255)"
expect 0 "PC2's in-box" pc PC2 inbox
check "PC2 has two messages, newest first" [ "$(awk -F'\t' 'NR > 1 { printf "%s|%s|%s ", $2, $3, $4 }' "$OUT")" = "USER_PC3|Parcel|New USER_PC1|Lunch?|New " ]
key=$(awk -F'\t' '$3 == "Parcel" { print $1 }' "$OUT")
expect 0 "PC1's in-box" pc PC1 inbox
check "PC1 has one message" [ "$(awk 'NR > 1' "$OUT" | wc -l)" = 1 ]
expect 1 "PC1 cannot read PC2's message" pc PC1 read "$key"
expect 0 "PC2 reads the parcel message" pc PC2 read "$key"
check "text printed whole" out_is $'At the desk\nsecond line'
expect 0 "PC2's in-box after reading" pc PC2 inbox --json
cp "$OUT" "$WORK/inbox.json"
check "counters after reading" [ "$(json_eval "$WORK/inbox.json" '(d["new"], d["old"], d["total"], [m["type"] for m in d["messages"]])')" = "(1, 1, 2, ['Old', 'New'])" ]
check "received times are ISO 8601 with the offset" [ "$(json_eval "$WORK/inbox.json" 'all(__import__("datetime").datetime.fromisoformat(m["received"]).utcoffset() is not None for m in d["messages"])')" = True ]
expect 0 "PC2 deletes the message" pc PC2 delete-message "$key"
expect 1 "deleted message cannot be read" pc PC2 read "$key"
expect 0 "PC2's in-box after delete" pc PC2 inbox
check "one message left" [ "$(awk 'NR > 1' "$OUT" | wc -l)" = 1 ]

# --- watch ------------------------------------------------------------------------
# exec: the job's process is qelctl itself, so the interrupt reaches it.
(exec "$QELCTL" --profile "$WORK/PC1.ini" --computer PC1 watch --json --interval 0.2 >"$WORK/watch.out" 2>"$WORK/watch.err") &
watcher=$!
sleep 0.8
pc PC3 status "At lunch" >/dev/null 2>&1
sleep 1.2
kill -INT "$watcher"
wait "$watcher"
check "watch ends cleanly on interrupt" [ $? = 0 ]
check "watch printed the board twice" [ "$(wc -l <"$WORK/watch.out")" = 2 ]
check "second board shows the change" bash -c "tail -n1 '$WORK/watch.out' | grep -qF '\"status\":\"At lunch\",'"

# --- a deleted user ------------------------------------------------------------------
expect 1 "delete an unknown computer" pc PC1 delete-user NOBODY
expect 0 "PC1 deletes PC3" pc PC1 delete-user PC3
check "PC3 gone from the board" [ "$(board_computers PC2)" = "PC1 PC2 " ]
expect 1 "deleted PC3 sets a status" pc PC3 status Available
check "deleted computer told why" err_has "cannot read the record of this computer (PC3)"
expect 1 "deleted PC3 sends" pc PC3 send PC1 "x" "y"
expect 1 "message to the deleted PC3" pc PC1 send PC3 "x" "y"
expect 0 "PC3 joins again" pc PC3 join "$SHARE"
check "PC3 back at the end, a plain user" [ "$(board_computers PC1)" = "PC1 PC2 PC3 " ]
DB2=$WORK/alone
mkdir -p "$DB2"
expect 0 "a one-user database" pc PC9 init "$DB2"
expect 1 "the last user cannot be deleted" pc PC9 delete-user PC9
check "last user refusal" err_has "the last user cannot be deleted"

# --- bad input loses nothing -----------------------------------------------------------
mv "$SHARE" "$WORK/share.away"
expect 1 "board with the share gone" pc PC1 board
check "share gone said clearly" err_has "holds no QelDBase.isd"
expect 1 "status with the share gone" pc PC2 status Available
mv "$WORK/share.away" "$SHARE"
check "everything there once the share is back" [ "$(board_computers PC1)" = "PC1 PC2 PC3 " ]
GARBAGE=$WORK/garbage
mkdir -p "$GARBAGE"
head -c 4096 /dev/urandom >"$GARBAGE/QelDBase.isd"
cp "$GARBAGE/QelDBase.isd" "$WORK/garbage.copy"
expect 1 "join a folder whose users file is garbage" pc PC2 join "$GARBAGE"
check "garbage file left as it was" cmp -s "$GARBAGE/QelDBase.isd" "$WORK/garbage.copy"
check "PC2 still on its database" [ "$(board_computers PC2)" = "PC1 PC2 PC3 " ]

# --- three computers at once ----------------------------------------------------------
# Each computer alternates status changes and messages to the next one for a
# few seconds. Every write that qelctl acknowledged (exit 0) must be there
# afterwards, exactly once; a refused write must have left nothing.
for p in PC1 PC2 PC3; do pc "$p" inbox | awk -F'\t' 'NR > 1 { print $1 }' | while read -r k; do pc "$p" delete-message "$k"; done; done
burst() {
    local me=$1 to=$2 end=$((SECONDS + 4)) i=0
    while [ $SECONDS -lt $end ]; do
        i=$((i + 1))
        if pc "$me" status "busy $me $i" >/dev/null 2>>"$WORK/burst-$me.err"; then echo "busy $me $i" >>"$WORK/acked-status-$me"; fi
        if pc "$me" send "$to" "b-$me-$i" "burst $i" >/dev/null 2>>"$WORK/burst-$me.err"; then echo "b-$me-$i" >>"$WORK/acked-send-$to"; else echo "b-$me-$i" >>"$WORK/refused-send-$to"; fi
    done
}
: >"$WORK/acked-send-PC1" >"$WORK/acked-send-PC2" >"$WORK/acked-send-PC3"
: >"$WORK/refused-send-PC1" >"$WORK/refused-send-PC2" >"$WORK/refused-send-PC3"
burst PC1 PC2 &
b1=$!
burst PC2 PC3 &
b2=$!
burst PC3 PC1 &
b3=$!
wait $b1 $b2 $b3
total=0
for p in PC1 PC2 PC3; do
    check "$p acknowledged some status changes" [ -s "$WORK/acked-status-$p" ]
    check "$p shows its last acknowledged status" [ "$(board_field PC1 "$p" 2)" = "$(tail -n1 "$WORK/acked-status-$p" 2>/dev/null)" ]
    pc "$p" inbox | awk -F'\t' 'NR > 1 { print $3 }' | sort >"$WORK/got-$p"
    sort "$WORK/acked-send-$p" >"$WORK/want-$p"
    check "$p received every acknowledged message exactly once" cmp -s "$WORK/got-$p" "$WORK/want-$p"
    total=$((total + $(wc -l <"$WORK/want-$p")))
done
check "the burst wrote messages" [ "$total" -gt 0 ]
check "still three users, none twice" [ "$(board_computers PC2)" = "PC1 PC2 PC3 " ]
echo "burst: $total messages acknowledged, $(cat "$WORK"/refused-send-* | wc -l) refused"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
