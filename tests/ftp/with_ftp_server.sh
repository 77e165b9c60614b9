#!/usr/bin/env bash
# Runs a test program with the FTP test server (ftp_server.py) running on
# 127.0.0.1: a user with a random password, a fresh temporary root, free
# ports. The program learns them from the environment:
#   KRV_FTP_PORT          the server (MLSD offered)
#   KRV_FTP_LIST_PORT     the same root on a server that answers LIST only
#   KRV_FTP_SILENT_PORT   accepts connections, never answers
#   KRV_FTP_REFUSED_PORT  nothing listens
#   KRV_FTP_USER, KRV_FTP_PASSWORD
#   KRV_FTP_ROOT          the served folder, KRV_FTP_CONNECTIONS one line per
#                         connection the server accepted, KRV_FTP_COMMANDS one
#                         line per command it received
#   KRV_FTP_ODD_PORT      the misbehaving server (odd_ftp_server.py), and
#   KRV_FTP_TRAP_LOG      one line per connection to its trap on 127.0.0.2
# usage: with_ftp_server.sh [--windows-paths] PROGRAM [ARGS...]
#   --windows-paths  the two paths as wine's Z: drive sees them
# Exit: the program's, or 77 (skipped) when pyftpdlib is missing.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
windows=0
if [ "${1:-}" = --windows-paths ]; then windows=1; shift; fi

python=/usr/bin/python3
[ -x "$python" ] || python="$(command -v python3)"
if ! "$python" -c 'import pyftpdlib' 2>/dev/null; then
  echo "with_ftp_server: python3-pyftpdlib is missing (bash scripts/setup.sh installs it)"
  exit 77
fi

work="$(mktemp -d /tmp/krv-ftp-test.XXXXXX)"
server_pid=""
odd_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; fi
  if [ -n "$odd_pid" ]; then kill "$odd_pid" 2>/dev/null; wait "$odd_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/root"
: >"$work/connections"
: >"$work/commands"
: >"$work/trap"
password="pw-$RANDOM$RANDOM-secret"

"$python" "$here/ftp_server.py" --root "$work/root" --user tester --password "$password" \
  --info-file "$work/info" --connection-log "$work/connections" \
  --command-log "$work/commands" >"$work/server.log" 2>&1 &
server_pid=$!
"$python" "$here/odd_ftp_server.py" --info-file "$work/odd-info" --trap-log "$work/trap" \
  >"$work/odd-server.log" 2>&1 &
odd_pid=$!
for _ in $(seq 1 200); do
  [ -s "$work/info" ] && [ -s "$work/odd-info" ] && break
  kill -0 "$server_pid" 2>/dev/null && kill -0 "$odd_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$work/info" ] || [ ! -s "$work/odd-info" ]; then
  echo "with_ftp_server: the FTP test servers did not start"
  cat "$work/server.log" "$work/odd-server.log"
  exit 1
fi
while IFS='=' read -r key value; do
  case "$key" in
    port) export KRV_FTP_PORT="$value" ;;
    list_port) export KRV_FTP_LIST_PORT="$value" ;;
    silent_port) export KRV_FTP_SILENT_PORT="$value" ;;
    refused_port) export KRV_FTP_REFUSED_PORT="$value" ;;
  esac
done <"$work/info"
KRV_FTP_ODD_PORT="$(sed -n 's/^odd_port=//p' "$work/odd-info")"
export KRV_FTP_ODD_PORT
export KRV_FTP_USER=tester KRV_FTP_PASSWORD="$password"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
if [ "$windows" = 1 ]; then
  export KRV_FTP_ROOT="$(winpath "$work/root")" KRV_FTP_CONNECTIONS="$(winpath "$work/connections")"
  export KRV_FTP_COMMANDS="$(winpath "$work/commands")" KRV_FTP_TRAP_LOG="$(winpath "$work/trap")"
  export KRV_FTP_UNDER_WINE=1
  # wine passes these on to the Windows program.
  export WINEDEBUG="${WINEDEBUG:--all}"
else
  export KRV_FTP_ROOT="$work/root" KRV_FTP_CONNECTIONS="$work/connections"
  export KRV_FTP_COMMANDS="$work/commands" KRV_FTP_TRAP_LOG="$work/trap"
fi

"$@"
rc=$?
if [ "$rc" -ne 0 ]; then
  echo "with_ftp_server: server log:"
  tail -n 40 "$work/server.log" "$work/odd-server.log"
fi
exit "$rc"
