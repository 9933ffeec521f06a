#!/usr/bin/env bash
# kassa-host and kassa-emulator from the command line, as a support engineer
# uses them: exit statuses, Russian method names, forced errors, framing of
# a bad request, and the emulator stopping on Ctrl+C and after N requests.
#   tests/tools/kassa_host_cli.sh BUILD_DIR
set -uo pipefail
BUILD=$1
LIB=$BUILD/libZarvikKassaDriver.so
HOST=$BUILD/tools/kassa_host/kassa-host
EMULATOR=$BUILD/tools/kassa_emulator/kassa-emulator
WORK=$(mktemp -d)
export XDG_DATA_HOME=$WORK/data
FAILED=0
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT

check() {  # check DESCRIPTION CONDITION...
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; FAILED=1; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }

start_emulator() {  # start_emulator NAME ARGS...; sets PORT and PID
    local name=$1
    shift
    "$EMULATOR" --port 0 --port-file "$WORK/$name.port" "$@" >"$WORK/$name.log" 2>&1 &
    PID=$!
    PIDS+=("$PID")
    for _ in $(seq 100); do [ -s "$WORK/$name.port" ] && break; sleep 0.05; done
    PORT=$(cat "$WORK/$name.port")
}

out=$("$HOST" 2>&1); rc=$?
check "no command is a usage error (2)" test $rc -eq 2
out=$("$HOST" --lib "$WORK/none.so" describe 2>&1); rc=$?
check "a library that does not load exits 3" test $rc -eq 3
check "and says why" contains "$out" "cannot load"
out=$("$HOST" --lib "$LIB" call GetLineLength int:abc 2>&1); rc=$?
check "a malformed argument is a usage error" test $rc -eq 2

out=$("$HOST" --lib "$LIB" describe); rc=$?
check "describe succeeds" test $rc -eq 0
check "describe lists 29 methods" contains "$out" "Methods: 29"
check "describe gives both names and the count" \
    contains "$out" "GetInterfaceRevision / ПолучитьРевизиюИнтерфейса  (0 parameters"
check "describe gives the interface revision" contains "$out" "Interface revision: uint 3004"
check "describe gives the settings form" contains "$out" '<Parameter Name="PosId" Caption="ID ФР"'

start_emulator forced --fail "OpenCashDrawer=Денежный ящик заклинило" --max-requests 3
out=$("$HOST" --lib "$LIB" --port "$PORT" call ОткрытьДенежныйЯщик empty); rc=$?
check "a forced error fails the call (1)" test $rc -eq 1
check "the Russian method name is found" contains "$out" "ОткрытьДенежныйЯщик(empty)"
check "the forced message reaches AddError" contains "$out" "Денежный ящик заклинило"
out=$("$HOST" --lib "$LIB" --port "$PORT" --pos "КАССА 2" call GetLineLength empty out); rc=$?
check "an out-parameter is printed" contains "$out" "parameter 1: int 48"
check "a succeeding call exits 0" test $rc -eq 0
exec 3<>"/dev/tcp/127.0.0.1/$PORT"
printf 'hello\r\n' >&3
read -r answer <&3
exec 3<&-
check "a request that is no JSON gets -32700 on one line" \
    contains "$answer" '{"jsonrpc":"2.0","id":null,"error":{"code":-32700,'
for _ in $(seq 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
check "the emulator stops after --max-requests" bash -c "! kill -0 $PID 2>/dev/null"
wait "$PID"; rc=$?
check "and exits 0" test $rc -eq 0

out=$("$HOST" --lib "$LIB" --port "$PORT" call DeviceTest out empty); rc=$?
check "DeviceTest with nobody listening fails" test $rc -eq 1
check "and its description carries the transport's text" contains "$out" "Connect failed"
out=$("$HOST" --lib "$LIB" --port "$PORT" call OpenCashDrawer empty); rc=$?
check "another method with nobody listening reports code 1" contains "$out" "AddError: code 1,"

start_emulator interrupted
kill -INT "$PID"
wait "$PID"; rc=$?
check "Ctrl+C stops the emulator cleanly" test $rc -eq 0
check "and it says so" contains "$(cat "$WORK/interrupted.log")" "kassa-emulator: stopped"

exit $FAILED
