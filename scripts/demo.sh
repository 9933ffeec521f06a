#!/usr/bin/env bash
# A cashier's day against the emulated register, through the driver as the
# 1C platform drives it: ./dev.sh demo runs this after building.
#   scripts/demo.sh BUILD_DIR
# Exits 0 when every call behaved as scripted, refusals included.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build/linux}
LIB=$BUILD/libZarvikKassaDriver.so
HOST=$BUILD/tools/kassa_host/kassa-host
EMULATOR=$BUILD/tools/kassa_emulator/kassa-emulator
EXAMPLES=$ROOT/examples
WORK=${DEMO_WORK:-$BUILD/demo}
GUID=3f6b8c2e-9a41-4d7e-b5c0-1e2f3a4b5c6d

bold() { printf '\033[1m%s\033[0m\n' "$*"; }

for file in "$LIB" "$HOST" "$EMULATOR"; do
    [ -x "$file" ] || [ -f "$file" ] || { echo "demo: $file is missing; build first" >&2; exit 1; }
done

# The driver's exchange log of this run goes to a folder of its own.
rm -rf "$WORK"
mkdir -p "$WORK/data"
export XDG_DATA_HOME=$WORK/data
LOG=$XDG_DATA_HOME/VarEzu/1C_exchange_data.log

EMULATOR_PID=
stop_emulator() {
    if [ -n "$EMULATOR_PID" ] && kill -0 "$EMULATOR_PID" 2>/dev/null; then
        kill -INT "$EMULATOR_PID" 2>/dev/null
        wait "$EMULATOR_PID" 2>/dev/null
    fi
    EMULATOR_PID=
}
trap stop_emulator EXIT

# Port 0: the emulator takes a free loopback port and writes it down.
"$EMULATOR" --port 0 --port-file "$WORK/port" --verbose >"$WORK/emulator.log" 2>&1 &
EMULATOR_PID=$!
for _ in $(seq 100); do
    [ -s "$WORK/port" ] && break
    kill -0 "$EMULATOR_PID" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$WORK/port" ]; then
    echo "demo: the emulator did not start:" >&2
    cat "$WORK/emulator.log" >&2
    exit 1
fi
PORT=$(cat "$WORK/port")

STEP=0
FAILURES=0
# step TITLE ok|refused kassa-host-arguments...
step() {
    local title=$1 expect=$2 output rc verdict
    shift 2
    STEP=$((STEP + 1))
    echo
    bold "== $STEP. $title"
    output=$("$HOST" --lib "$LIB" --host 127.0.0.1 --port "$PORT" --pos "KASSA-01" "$@" 2>&1)
    rc=$?
    LAST_OUTPUT=$output
    sed 's/^/   /' <<<"$output"
    if [ "$expect" = ok ] && [ $rc -eq 0 ]; then
        verdict="as scripted: succeeded"
    elif [ "$expect" = refused ] && [ $rc -eq 1 ] && grep -q 'AddError' <<<"$output" &&
        grep -q 'GetLastError: int [1-9]' <<<"$output"; then
        verdict="as scripted: refused; the refusal reached 1C, and GetLastError gives it"
    else
        verdict="NOT AS SCRIPTED (expected $expect, exit status $rc)"
        FAILURES=$((FAILURES + 1))
    fi
    echo "   -> $verdict"
}

bold "The driver as the 1C platform sees it"
"$HOST" --lib "$LIB" describe | sed 's/^/   /' || FAILURES=$((FAILURES + 1))

echo
bold "A cashier's day; the emulated register listens on 127.0.0.1:$PORT"
IN=@$EXAMPLES/input_parameters.xml
step "Device test" ok call DeviceTest out empty
step "Registration data of the register" ok call GetDataKKT empty out
step "A receipt before the shift is open" refused \
    call ProcessCheck empty bool:false "@$EXAMPLES/receipt.xml" out
step "Open the shift" ok call OpenShift empty "$IN" out
step "Marking code check: open the session" ok call OpenSessionRegistrationKM empty
step "Marking code check: request the code of the kefir" ok \
    call RequestKM empty "@$EXAMPLES/request_km.xml" out
step "Marking code check: the processing result" ok call GetProcessingKMResult empty out out
step "Marking code check: the cashier accepts the code" ok call ConfirmKM empty "str:$GUID" uint:0
step "Marking code check: close the session" ok call CloseSessionRegistrationKM empty
step "A receipt with goods codes and the checked marking code" ok \
    call ProcessCheck empty bool:false "@$EXAMPLES/receipt.xml" out
RECEIPT=$(grep -o ' CheckNumber="[0-9]*"' <<<"$LAST_OUTPUT" | head -1 | tr -dc '0-9')
step "Line length of the receipt printer" ok call GetLineLength empty out
step "Open the cash drawer for the change" ok call OpenCashDrawer empty
step "A copy of receipt ${RECEIPT:-?} for the customer" ok call PrintCheckCopy empty "str:${RECEIPT:-0}"
step "A correction receipt for yesterday's unregistered takings" ok \
    call ProcessCorrectionCheck empty "@$EXAMPLES/correction_receipt.xml" out
step "A text document (bonus card balance with a QR code)" ok \
    call PrintTextDocument empty "@$EXAMPLES/text_document.xml"
step "Cash deposit of 5000 roubles" ok call CashInOutcome empty "$IN" double:5000
step "A withdrawal of more cash than the drawer holds" refused \
    call CashInOutcome empty "$IN" double:-100000
step "X report" ok call PrintXReport empty "$IN"
step "Current status" ok call GetCurrentStatus empty "$IN" out
step "Report on the current state of settlements" ok \
    call ReportCurrentStatusOfSettlements empty "$IN" out
step "Close the shift" ok call CloseShift empty "$IN" out

stop_emulator
echo
bold "Done: $STEP calls, $FAILURES not as scripted."
echo "The driver's exchange log of this run: $LOG"
echo "The emulator's view of every request and answer: $WORK/emulator.log"
[ $FAILURES -eq 0 ]
