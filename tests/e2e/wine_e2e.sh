#!/usr/bin/env bash
# End-to-end export with the Windows builds under wine: krvhost.exe loads
# tarvisco.dll, which starts SM_eth.exe, which talks to the Linux scale
# simulator on 127.0.0.1. One full success, one failure (the scale rejects a
# PLU) and the export that follows it; then the same export and a refused PLU
# in the DIGI scale's own protocol (sm_eth.cfg beside SM_eth.exe).
#
# usage: tests/e2e/wine_e2e.sh [WINDOWS_BUILD_DIR] [LINUX_BUILD_DIR]
#   WINDOWS_BUILD_DIR  build/win64 (default) or build/win32
#   LINUX_BUILD_DIR    where tools/scale_sim/scale_sim is (default build/linux)
# Environment: WINE (the wine loader; chosen from the bitness by default),
# WINEPREFIX (a temporary prefix when unset), DISPLAY (wine may want one).
# Exit: 0 all passed, 1 a check failed, 2 a build is missing, 77 this
# machine cannot run that wine (e.g. no 32-bit support): skipped.
set -u

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
win_build="$(cd "${1:-$repo/build/win64}" 2>/dev/null && pwd)" || { echo "wine_e2e: no Windows build at ${1:-build/win64}"; exit 2; }
linux_build="$(cd "${2:-$repo/build/linux}" 2>/dev/null && pwd)" || { echo "wine_e2e: no Linux build at ${2:-build/linux}"; exit 2; }

krvhost="$win_build/tools/krvhost/krvhost.exe"
dll="$win_build/src/tarvisco.dll"
sm_eth="$win_build/tools/sm_eth/SM_eth.exe"
scale_sim="$linux_build/tools/scale_sim/scale_sim"
for f in "$krvhost" "$dll" "$sm_eth" "$scale_sim"; do
  [ -f "$f" ] || { echo "wine_e2e: missing $f (build it first)"; exit 2; }
done

if [ -z "${WINE:-}" ]; then
  case "$win_build" in
    *win32*) WINE=/usr/lib/wine/wine ;;
    *) WINE=/usr/lib/wine/wine64 ;;
  esac
  [ -x "$WINE" ] || WINE="$(command -v wine)"
fi
# A machine without 32-bit support has the 32-bit loader but cannot start it.
if ! "$WINE" --version >/dev/null 2>&1; then
  echo "wine_e2e: SKIPPED: $WINE cannot run on this machine"
  exit 77
fi

work="$(mktemp -d /tmp/krv-wine-e2e.XXXXXX)"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$work/prefix"
fi
sim_pid=""

cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi
  if [ -n "${KRV_E2E_KEEP:-}" ]; then echo "wine_e2e: files kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); echo "  ok: $what"
  else failed=$((failed + 1)); echo "  FAILED: $what"; fi
}

# A Windows path for a Linux one (wine's drive Z: is /).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Starts the simulator with extra options; sets sim_pid and port.
start_sim() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; sim_pid=""; fi
  rm -f "$work/port"
  "$scale_sim" --port 0 --port-file "$work/port" --state "$work/state.txt" --quiet "$@" >"$work/scale_sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 200); do
    if [ -s "$work/port" ]; then port="$(head -n1 "$work/port")"; return 0; fi
    sleep 0.05
  done
  echo "wine_e2e: the scale simulator did not start"; cat "$work/scale_sim.log"; exit 1
}

exchange="$work/exchange"
mkdir -p "$exchange"
cp "$repo/tests/data/e2e/kasa.exp" "$exchange/kasa.exp"
cp "$sm_eth" "$exchange/SM_eth.exe"

write_profile() {
  cat >"$work/device.ini" <<EOF
[device]
name = Waga testowa
exchange_dir = $(winpath "$exchange")

[parameters]
DigiSM_Zlacze = 1
DigiSM_AdresIP = 127.0.0.1:$port
DigiSM_KodyKD = 0
DigiSM_KodPocz = 1
DigiSM_KodKonc = 999
DigiSM_SkadPlu = 1
DigiSM_Timeout = 60
DigiSM_HideDrv = 1
EOF
}

run_export() {  # run_export OUTPUT_FILE
  rm -f "$exchange/wynik.exp"
  timeout 180 "$WINE" "$krvhost" --library "$(winpath "$dll")" --profile "$(winpath "$work/device.ini")" export \
    >"$1" 2>&1
}

held_plus() { cut -f1 "$work/state.txt" | tr '\n' ' '; }

printf 'PLU;1;0;1;DOD\r\nPLU;2;0;2;AKT\r\nPLU;3;0;3;CEN\r\nPLU;4;7;12;DOD\r\nPLU;5;0;13;CEN\r\nPLU;6;0;30;USU\r\nPLU;7;0;5901234123457;DOD\r\nPLU;8;0;1500;DOD\r\n' \
  >"$work/expected_wynik.exp"
expected_plus="00000001 00000002 00000003 00000012 00000013 00000040 "

echo "wine_e2e: $(basename "$win_build") with $WINE"

# 1. Success.
start_sim
write_profile
run_export "$work/success.out"; rc=$?
echo "- success path (exit $rc)"
check "krvhost.exe exits 0" test "$rc" -eq 0
check "result stored, 8 goods confirmed" grep -q "export result stored: 8 goods confirmed" "$work/success.out"
check "wynik.exp lists every reported goods" cmp -s "$exchange/wynik.exp" "$work/expected_wynik.exp"
check "the scale holds exactly the expected PLUs" test "$(held_plus)" = "$expected_plus"
check "the names reached the scale in Windows-1250" grep -q "$(printf 'Bu\263ka kajzerka')" "$work/state.txt"
[ "$rc" -eq 0 ] || cat "$work/success.out"

# 2. Failure: the scale rejects one PLU.
rm -f "$work/state.txt"
start_sim --reject "2:E07:Brak miejsca w pamięci"
write_profile
run_export "$work/failure.out"; rc=$?
echo "- failure path: the scale rejects PLU 2 (exit $rc)"
check "krvhost.exe exits non-zero" test "$rc" -ne 0
check "the failure is reported" grep -q "ERROR: Sterownik zakończył działanie z błędami" "$work/failure.out"
check "the scale's own text is shown" grep -q "ERROR: Brak miejsca w pamięci" "$work/failure.out"
check "the error line is shown" grep -q "Nr linii: 2, Nr PLU: 00000002, Kod błędu: E07" "$work/failure.out"
check "no result handed over" grep -q "ERROR: krvhost: export failed" "$work/failure.out"
check "no wynik.exp written" test ! -e "$exchange/wynik.exp"
check "the goods file is archived" grep -q "Gouda" "$exchange/ARCH2.EXP"
check "the other PLUs reached the scale" test "$(held_plus)" = "00000001 00000003 00000012 00000013 00000040 "
[ "$rc" -ne 0 ] || cat "$work/failure.out"

# 3. The export after the failure succeeds.
start_sim
write_profile
run_export "$work/again.out"; rc=$?
echo "- the next export (exit $rc)"
check "krvhost.exe exits 0" test "$rc" -eq 0
check "wynik.exp written again" cmp -s "$exchange/wynik.exp" "$work/expected_wynik.exp"
check "the scale holds every PLU" test "$(held_plus)" = "$expected_plus"
[ "$rc" -eq 0 ] || cat "$work/again.out"

# 4. The DIGI scale's own protocol, chosen by sm_eth.cfg beside SM_eth.exe,
#    with the texts in the scale's code page.
printf '[Scale]\r\nProtocol=digi\r\nCodePage=cp852\r\nTimeoutMs=5000\r\n' >"$exchange/sm_eth.cfg"
rm -f "$work/state.txt" "$work/state.json"
start_sim --digi --codepage cp852 --json "$work/state.json"
write_profile
run_export "$work/digi.out"; rc=$?
echo "- DIGI protocol (exit $rc)"
check "krvhost.exe exits 0" test "$rc" -eq 0
check "wynik.exp lists every reported goods" cmp -s "$exchange/wynik.exp" "$work/expected_wynik.exp"
check "the scale holds exactly the expected PLUs" test "$(held_plus)" = "$expected_plus"
check "the scale decoded the name from cp852" grep -q '"text":"Bułka kajzerka"' "$work/state.json"
[ "$rc" -eq 0 ] || cat "$work/digi.out"

rm -f "$work/state.txt"
start_sim --digi --codepage cp852 --reject 2:0x15
write_profile
run_export "$work/digi_nak.out"; rc=$?
echo "- DIGI protocol: the scale answers NAK for PLU 2 (exit $rc)"
check "krvhost.exe exits non-zero" test "$rc" -ne 0
check "the error line is shown" grep -q "Nr linii: 2, Nr PLU: 00000002, Kod błędu: 21" "$work/digi_nak.out"
check "the other PLUs reached the scale" test "$(held_plus)" = "00000001 00000003 00000012 00000013 00000040 "
[ "$rc" -ne 0 ] || cat "$work/digi_nak.out"
rm -f "$exchange/sm_eth.cfg"

echo "wine_e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
