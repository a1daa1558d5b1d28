#!/usr/bin/env bash
# vorthane-sim end to end: exit statuses, the trace's shape, the State record.
set -u
sim="$1"
failures=0
check() {  # name, expected status, actual status, pattern that the output must contain
  if [ "$2" != "$3" ] || ! grep -qF -- "$4" <<<"$5"; then
    echo "FAIL $1: status $3 (want $2); output: ${5:0:400}"
    failures=$((failures + 1))
  fi
}

out=$("$sim" --cmdline /c 2>&1); check configure 0 $? '{"t":0,"op":"End","status":0}' "$out"
out=$("$sim" --cmdline "/p 99" 2>/dev/null); check dead-handle 1 $? '"op":"Error","error":1400' "$out"
err=$("$sim" --cmdline "/p 99" 2>&1 >/dev/null)
check dead-handle-message 1 "$(wc -l <<<"$err")" "vorthane: run-time error 1400" "$err"
out=$("$sim" --nope 2>&1); check usage 2 $? "vorthane-sim: unknown option '--nope'" "$out"
out=$("$sim" --cmdline /s --run 100 --only Top); check only 0 $? '{"t":15.625,"op":"Top","control":"Label1","value":125}' "$out"
lines=$(grep -c . <<<"$out")
check only-filters 7 "$lines" '"op":"State"' "$(tail -n 1 <<<"$out")"
out=$("$sim" --cmdline /s --event 100:move:9000,3000 --event 200:move:9000,3100 --only ShowCursor,End,Input)
check dismiss 0 $? '{"t":200,"op":"ShowCursor","value":-1,"count":0}' "$out"
check dismiss-state 0 0 '"loaded":false,"caption":"","cursor_count":0,"last_mouse":[9000,3000]' "$out"
out=$("$sim" --cmdline "/p 77" --host 77:152x112 --destroy-host 500 --only SetWindowPos,End)
check preview 0 $? '"op":"SetWindowPos","hwnd":65552,"after":0,"x":0,"y":0,"cx":152,"cy":112,"flags":84' "$out"
check preview-end 0 0 '{"t":500,"op":"End","status":0}' "$out"
out=$("$sim" --cmdline /s --monitor 800x600+0+0 --monitor 640x480+800+0@192 --monitors-at 100 \
  --monitor 800x600+0+0 --run 200 --only Frame)
check views 0 $? '{"t":0,"op":"Frame","view":2,"dpi":192,"damage":[[0,0,640,480]]' "$out"
check views-follow 3 "$(grep -c '"view":2' <<<"$out")" '{"t":187.5,"op":"Frame","view":1,' "$out"
out=$("$sim" --summary --run 9000); check summary 0 $? 'Label2 "Created By:" appears at Top 125' "$out"

echo "$failures failed"
[ "$failures" -eq 0 ]
