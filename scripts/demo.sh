#!/usr/bin/env bash
# Runs the demo job: a local folder kept in step with a folder on a throw-away FTP server on
# 127.0.0.1. Usage: scripts/demo.sh BUILD_FOLDER (the Makefile's demo target builds first).
set -euo pipefail

src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-build}" && pwd)"
cli="$build/corvane-cli"
[ -x "$cli" ] || { echo "demo: $cli is missing; run 'make demo'" >&2; exit 2; }

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/program" "$demo/left/docs" "$demo/left/photos" "$demo/server/pub/shared"

# The program folder is the executable's folder: a copy there keeps the demo's task list
# and saved copies out of the build folder.
cp "$cli" "$demo/program/corvane-cli"

printf 'Things to do\n' > "$demo/left/todo.txt"
printf 'Read me first\n' > "$demo/left/docs/readme.txt"
printf 'Meeting notes\n' > "$demo/left/docs/notes.txt"
printf 'not really a picture\n' > "$demo/left/photos/lake.jpg"
printf 'Quarterly report\n' > "$demo/server/pub/shared/report.txt"
printf 'An older list\n' > "$demo/server/pub/todo.txt"
touch -d '2020-01-02 03:04:06' "$demo/server/pub/todo.txt"

mkfifo "$demo/server.in"
/usr/bin/python3 "$src/tests/support/ftpserver.py" --root "$demo/server" --user demo --password demo \
    --port 0 < "$demo/server.in" > "$demo/server.out" 2> "$demo/server.err" &
server=$!
# Holding the server's stdin open keeps it serving; closing it stops the server.
exec 3> "$demo/server.in"
stop_server() {
    exec 3>&- || true
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
}
trap stop_server EXIT

port=""
for _ in $(seq 100); do
    port="$(sed -n 's/^PORT \([0-9]*\)$/\1/p' "$demo/server.out")"
    [ -n "$port" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
[ -n "$port" ] || { echo "demo: the FTP server did not start:" >&2; cat "$demo/server.err" >&2; exit 2; }

side() {  # side ELEMENT DEVICETYPE PATH USER PASSWORD
    cat <<XML
    <$1>
      <DeviceType>$2</DeviceType>
      <FolerAllName>$3</FolerAllName>
      <validate>0</validate>
      <UserName>$4</UserName>
      <PWD>$5</PWD>
      <FactTime>0</FactTime>
      <ActiveMode>0</ActiveMode>
      <PrivateKey></PrivateKey>
    </$1>
XML
}
bounds() {
    for b in FileTimeMin FileTimeMax FileSizeMin FileSizeMax; do echo "        <$b>-1</$b>"; done
}
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<TaskList>'
    echo '  <Tast>'
    echo '    <SyncName>Demo</SyncName>'
    echo '    <SyncID>Demo</SyncID>'
    for f in SyncDirection ForcedOrVerified IsDeleteFile SaveOldFile UseTempFile CheckNoChange EstimateDiskSpace; do
        echo "    <$f>0</$f>"
    done
    side LFolder 1 "$demo/left" "" ""
    side RFolder 3 "ftp://127.0.0.1:$port/pub" demo demo
    echo '    <Filter>'
    echo '      <ExcludeEmtpyFolder>0</ExcludeEmtpyFolder>'
    echo '      <ExcludeHiddenFile>0</ExcludeHiddenFile>'
    echo '      <ExcludeSystemFile>0</ExcludeSystemFile>'
    echo '      <IncludeFilter>'
    echo '        <IncludeFilterr></IncludeFilterr>'
    bounds
    echo '      </IncludeFilter>'
    echo '      <ExcludeFilter>'
    echo '        <ExcludeFilterr></ExcludeFilterr>'
    bounds
    echo '      </ExcludeFilter>'
    echo '    </Filter>'
    echo '    <Auto>'
    for f in StartAnalyze StartSync ConnectAnalyze ConnectSync LogoffAnalyze LogoffSync PeriodAnalyze PeriodSync Hours minutes; do
        echo "      <$f>0</$f>"
    done
    echo '      <TaskScheduler></TaskScheduler>'
    for f in TSsync TSanalyze Conflicts EnsureFolderTags; do echo "      <$f>0</$f>"; done
    echo '    </Auto>'
    echo '  </Tast>'
    echo '</TaskList>'
} > "$demo/program/tasklist.tkl"
chmod 600 "$demo/program/tasklist.tkl"

run() {
    echo
    echo "\$ corvane-cli $*"
    set +e
    "$demo/program/corvane-cli" "$@"
    status=$?
    set -e
    echo "(exit status $status)"
    [ "$status" -eq 0 ] || failed=1
}
failed=0

echo "Left folder:  $demo/left"
echo "Right folder: ftp://127.0.0.1:$port/pub (served from $demo/server/pub)"
run list
run sync Demo --rows
run analyze Demo --rows
printf 'Things to do, and one more\n' > "$demo/left/todo.txt"
touch -d '+1 minute' "$demo/left/todo.txt"
echo
echo "(todo.txt changed on the left)"
run analyze Demo --rows
echo
echo "Server folder after the synchronisation:"
(cd "$demo/server" && find pub -type f | sort)

# On a desktop, the window takes over: one more change on each side, and the job analyses
# itself when the window opens, so the proposal is fresh. The server serves until it closes.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$build/Corvane" ]; then
    cp "$build/Corvane" "$demo/program/Corvane"
    [ -d "$build/help" ] && cp -R "$build/help" "$demo/program/"
    printf 'Meeting notes\nand what came of them\n' > "$demo/left/docs/notes.txt"
    touch -d '+2 minutes' "$demo/left/docs/notes.txt"
    printf 'Quarterly report, second draft\n' > "$demo/server/pub/shared/report.txt"
    touch -d '+2 minutes' "$demo/server/pub/shared/report.txt"
    sed -i 's|<StartAnalyze>0</StartAnalyze>|<StartAnalyze>1</StartAnalyze>|' "$demo/program/tasklist.tkl"
    echo
    echo "(docs/notes.txt changed on the left, shared/report.txt on the server)"
    echo "Opening the window on the job Demo; close it to end the demo."
    "$demo/program/Corvane" || failed=1
fi
exit "$failed"
