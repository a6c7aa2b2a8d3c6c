#!/usr/bin/env bash
# Prints cards through a real cardprint-app server and checks what reaches
# the printer.
#
# The server runs with its own state, spool and temporary folders under a
# temporary folder, on a free loopback port (as user nobody when run as root,
# so that its command socket lies in that folder too). Printers write to
# file: folders; every delivered job is decoded with `cardprint inspect` and,
# where `cardprint print` can make the same job, compared with it. Checked:
# ipptool's IPP Everywhere attribute tests; PWG raster, PNG, JPEG, PDF, SVG
# and native jobs; card settings as job attributes (cardprint-app submit -o, ipptool);
# printer defaults changed in the web interface (headless Chromium shows the
# page); a malformed native job, a refused vendor value and an unreachable
# device; 50 jobs from five clients at once; a job cancelled part-way; the
# server stopped, its error output free of sanitizer reports (ASAN_OPTIONS,
# UBSAN_OPTIONS and TSAN_OPTIONS are passed on to it). The server is
# stopped at the end whatever happens.
#
# Usage: tests/host/printer_app/printer_app_end_to_end.sh [BUILD_DIR]
#        (default build/default). KEEP_APP_FOLDER=1 keeps the temporary folder.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
build_dir=$(realpath -m "${1:-$source_dir/build/default}")
here=$source_dir/tests/host/printer_app
started=$SECONDS

"$source_dir/scripts/install-deps" libpappl-dev cups-ipp-utils chromium curl python3

if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  (cd "$source_dir" && cmake --preset default >/dev/null)
fi
cmake --build "$build_dir" --target cardprint cardprint-app cardprint_design_fixtures

app=$build_dir/host/printer_app/cardprint-app
cardprint=$build_dir/host/cardprint/cardprint
compare=$source_dir/tests/host/cups/compare_jobs.py
design_fixtures=$build_dir/tests/host/card_job/designs

# --- the server --------------------------------------------------------------

work=$(mktemp -d /tmp/cardprint-app.XXXXXX)
server_pid=
clients=()
# Whether the server has ended within TENTHS tenths of a second (a child
# that has ended but is not yet waited for still answers kill -0).
server_ended() { # TENTHS
  for _ in $(seq "$1"); do
    [[ "$(ps -o stat= -p "$server_pid" 2>/dev/null)" =~ ^(Z|$) ]] && return 0
    sleep 0.1
  done
  return 1
}
stop_server() {
  local status=$?
  # Clients still sending jobs are stopped first, as a command that finds no
  # server starts a private one: each is held, its command (under timeout,
  # which passes TERM on) ended, then the client itself.
  for client in "${clients[@]}"; do
    kill -STOP "$client" 2>/dev/null || true
    pkill -TERM -P "$client" 2>/dev/null || true
    kill -KILL "$client" 2>/dev/null || true
  done
  for client in "${clients[@]}"; do wait "$client" 2>/dev/null || true; done
  if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    server_ended 50 || kill -KILL "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  # A command that finds no server starts a private one of its own; any such
  # server of this test (its TMPDIR is the test's) is stopped too.
  for environment in /proc/[0-9]*/environ; do
    if tr '\0' '\n' 2>/dev/null <"$environment" | grep -qx "TMPDIR=$work/tmp"; then
      pid=${environment#/proc/}
      kill -KILL "${pid%/environ}" 2>/dev/null || true
    fi
  done
  if ((status != 0)); then
    echo "== the server's errors and warnings (the last 40)" >&2
    grep -E '^[EW] ' "$work/log/server.log" 2>/dev/null | tail -n 40 >&2 || true
    if grep -qE 'Sanitizer|runtime error:' "$work/log/server.out" 2>/dev/null; then
      echo "== the server's sanitizer reports (the first 200 lines)" >&2
      grep -A200 -m1 -E 'Sanitizer|runtime error:' "$work/log/server.out" | head -n 200 >&2
    fi
  fi
  if [[ "${KEEP_APP_FOLDER:-}" == 1 ]]; then
    echo "kept $work" >&2
  else
    rm -rf "$work"
  fi
  exit "$status"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

mkdir -p "$work"/{state,spool,tmp,log,out/cards,out/web,out/load,expected,designs,chromium,ipptool}
as_server=()
if ((EUID == 0)); then
  chown -R nobody:nogroup "$work"/{state,spool,tmp,log,out}
  chmod 755 "$work"
  as_server=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
closed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
web=http://127.0.0.1:$port
# The server and the commands that talk to it, as the same user with the
# same temporary folder: the commands find the server by its socket there.
# A sanitizer build's options reach the server and the commands.
sanitizer_options=()
for name in ASAN_OPTIONS UBSAN_OPTIONS TSAN_OPTIONS; do
  if [[ -n "${!name:-}" ]]; then sanitizer_options+=("$name=${!name}"); fi
done
app_command=(env -i PATH="$PATH" HOME="$work/state" TMPDIR="$work/tmp" "${sanitizer_options[@]}"
  "${as_server[@]}" "$app")
"${app_command[@]}" server -o state-directory="$work/state" -o spool-directory="$work/spool" \
  -o listen-hostname=127.0.0.1 -o server-port="$port" -o log-level=info \
  -o log-file="$work/log/server.log" >"$work/log/server.out" 2>&1 </dev/null &
server_pid=$!
for _ in $(seq 100); do
  curl -sf -o /dev/null --max-time 2 "$web/" && break
  kill -0 "$server_pid" 2>/dev/null || fail "the server stopped while starting: $(cat "$work/log/server.out")"
  sleep 0.1
done
curl -sf -o /dev/null --max-time 2 "$web/" || fail "the server did not answer on port $port"
echo "== cardprint-app on 127.0.0.1:$port (pid $server_pid)"

if command -v ss >/dev/null; then
  if ss -ltnp 2>/dev/null | grep "pid=$server_pid," | awk '{print $4}' | grep -qv '^127\.0\.0\.1:'; then
    fail "the server listens beyond loopback: $(ss -ltnp | grep "pid=$server_pid,")"
  fi
fi

add_printer() { # NAME DEVICE-URI
  timeout 30 "${app_command[@]}" add -d "$1" -m cardprint -v "$2" >/dev/null \
    || fail "cardprint-app add could not add $1"
}
add_printer cards "file://$work/out/cards"
add_printer web "file://$work/out/web"
add_printer load "file://$work/out/load"
add_printer dead "socket://127.0.0.1:$closed_port"
timeout 10 "${app_command[@]}" printers | sort | tr '\n' ' ' | grep -qx 'cards dead load web ' \
  || fail "cardprint-app printers does not list the four printers"

printer_uri() { echo "ipp://127.0.0.1:$port/ipp/print/$1"; }

# --- jobs ----------------------------------------------------------------------

# The state of a job as STATE|REASONS|MESSAGE.
job_state() { # PRINTER JOB-ID
  local reply
  reply=$(timeout 10 ipptool -tv -d "job_id=$2" "$(printer_uri "$1")" "$here/job_state.test") \
    || fail "could not ask the server about job $2 of $1: $reply"
  printf '%s|%s|%s\n' \
    "$(sed -n 's/^ *job-state (enum) = //p' <<<"$reply")" \
    "$(sed -n 's/^ *job-state-reasons ([^)]*) = //p' <<<"$reply")" \
    "$(sed -n 's/^ *job-state-message ([^)]*) = //p' <<<"$reply")"
}

wait_for_job() { # PRINTER JOB-ID [SECONDS]
  local deadline=$((SECONDS + ${3:-60})) state
  while ((SECONDS < deadline)); do
    state=$(job_state "$1" "$2")
    case ${state%%|*} in
      completed | canceled | aborted)
        echo "$state"
        return 0
        ;;
    esac
    sleep 0.2
  done
  fail "job $2 of $1 did not end within ${3:-60} s: $state"
}

# cardprint-app submit as an IPP client sends a job: the printer takes one
# job at a time and answers "busy" while it prints, so the job is sent again
# until it is taken, for at most 240 s. Prints the job's PRINTER-ID.
# Usage: send_job PRINTER NAME FILE ARGS...
send_job() {
  local printer=$1 name=$2 file=$3 deadline=$((SECONDS + 240)) errors
  shift 3
  errors=$(mktemp "$work/log/submit.XXXXXX")
  until timeout 60 "${app_command[@]}" submit -d "$printer" -t "$name" "$@" "$file" 2>"$errors"; do
    if ! grep -q 'Currently printing another job' "$errors" || ((SECONDS >= deadline)); then
      cat "$errors" >&2
      return 1
    fi
    sleep "0.$((RANDOM % 5 + 1))"
  done
}

# Submits with cardprint-app submit and waits for a completed job; the
# delivered file is out/PRINTER/NAME.prn. Usage: submit_job PRINTER NAME FILE ARGS...
submit_job() {
  local printer=$1 name=$2 file=$3 job state
  shift 3
  job=$(send_job "$printer" "$name" "$file" "$@") || fail "$name: cardprint-app submit failed"
  job=${job##*-}  # PRINTER-ID
  state=$(wait_for_job "$printer" "$job")
  [[ "$state" == completed\|* ]] || fail "$name: job $job ended as \"$state\""
  [[ -s "$work/out/$printer/$name.prn" ]] || fail "$name: no job file was delivered"
  echo "   $name: job $job delivered $(stat -c %s "$work/out/$printer/$name.prn") bytes"
}

designs=$work/designs
python3 "$here/make_design.py" png "$designs/card.png"
python3 "$here/make_design.py" pwg "$designs/card-srgb.pwg" srgb
python3 "$here/make_design.py" pwg "$designs/card-sgray.pwg" sgray
python3 "$here/make_design.py" pwg "$designs/forty-cards.pwg" srgb 40
"$cardprint" print "$designs/card.png" -q -o "$work/expected/card.prn"

echo "== ipptool: the IPP Everywhere attribute tests"
# ipptool's own test files, run from a private copy: the PDF tests of
# ipp-1.1.test are skipped (the card printer takes no PDF) but ipptool reads
# their files before it skips them, so empty ones stand in; the two checks
# of overrides-supported are taken out, since a card job has one set of card
# settings for all its cards and the printer cannot take per-page overrides.
# The printer takes one job at a time and answers "busy" while one prints:
# the files already send a Print-Job again when told busy, and their
# Create-Job tests are made to do the same.
cp /usr/share/cups/ipptool/{ipp-1.1,ipp-2.0,ipp-everywhere}.test "$work/ipptool/"
touch "$work/ipptool/document-a4.pdf" "$work/ipptool/document-letter.pdf"
sed -i '/EXPECT overrides-supported/d' "$work/ipptool/ipp-everywhere.test"
sed -i '/OPERATION Create-Job/a\	STATUS server-error-busy REPEAT-MATCH REPEAT-LIMIT 30' \
  "$work/ipptool/ipp-1.1.test"
sleep 1  # printer-up-time must be above 0
timeout 300 ipptool -t -V 2.0 -f "$designs/card.png" "$(printer_uri cards)" \
  "$work/ipptool/ipp-everywhere.test" >"$work/log/ipptool.txt" 2>&1 \
  || { cat "$work/log/ipptool.txt" >&2; fail "ipp-everywhere.test failed"; }
# Some of the included files' tests fail without failing the run.
! grep -q '\[FAIL\]' "$work/log/ipptool.txt" \
  || { cat "$work/log/ipptool.txt" >&2; fail "ipp-everywhere.test has failed tests"; }
echo "   $(grep -c '\[PASS\]' "$work/log/ipptool.txt") passed, $(grep -c '\[SKIP\]' "$work/log/ipptool.txt") skipped"
rm -f "$work"/out/cards/*

echo "== printing"
# A PNG of the card's size reaches the driver unresampled: the job equals
# cardprint print's, byte for byte.
submit_job cards png "$designs/card.png"
python3 "$compare" "$cardprint" "$work/expected/card.prn" "$work/out/cards/png.prn" \
  || fail "png: the delivered job differs from cardprint print's"

# PWG raster made by the test: the same design on the portrait card page.
submit_job cards pwg-srgb "$designs/card-srgb.pwg"
python3 "$compare" "$cardprint" "$work/expected/card.prn" "$work/out/cards/pwg-srgb.prn" \
  || fail "pwg-srgb: the delivered job differs from cardprint print's"

# Grey raster, monochrome: the black panel alone.
submit_job cards pwg-sgray "$designs/card-sgray.pwg" -o print-color-mode=monochrome
"$cardprint" inspect "$work/out/cards/pwg-sgray.prn" --json | python3 -c '
import json, sys
job = json.load(sys.stdin)
panels = sorted({s["panel"] for s in job["sequences"] if s["kind"] == "panelData"})
sys.exit(0 if job["pages"] == 1 and panels == ["K"] else f"grey job: panels {panels}")' \
  || fail "pwg-sgray: the monochrome job is not the black panel alone"

# Design files are read as cardprint print reads them (the card-job
# library's reader): a JPEG, a PDF page and an SVG drawing give its jobs.
for design in "$source_dir/tests/data/image_gradient.jpg" \
    "$design_fixtures/design_bars.pdf" "$design_fixtures/design_bars.svg"; do
  name=design-${design##*.}
  submit_job cards "$name" "$design"
  "$cardprint" print "$design" -q -o "$work/expected/$name.prn"
  python3 "$compare" "$cardprint" "$work/expected/$name.prn" "$work/out/cards/$name.prn" \
    || fail "$name: the delivered job differs from cardprint print's"
done

# Card settings from the command line: black panel only, track texts, a print
# area, three copies (the printer makes them: one card, copies 3).
submit_job cards settings "$designs/card.png" -o copies=3 \
  -o cardprint-color-panels=false -o cardprint-overlay-panel=false -o cardprint-mag-encoder=true \
  -o "cardprint-track-1='ALEX SAMPLE'" -o cardprint-track-2=0042197705 \
  -o cardprint-print-area=10,20,600,1000 -o cardprint-yellow-adjust=-20 -o cardprint-adjust-4=7
"$cardprint" print "$designs/card.png" -q -o "$work/expected/settings.prn" --copies 3 \
  --panels k --encoder --track1 "ALEX SAMPLE" --track2 0042197705 \
  --print-area 10,20,600,1000 --color -20,0,0,0 --adjust 0,0,0,7
python3 "$compare" "$cardprint" "$work/expected/settings.prn" "$work/out/cards/settings.prn" \
  || fail "settings: the delivered job differs from cardprint print's"

# The same settings from ipptool, as any IPP client sends them.
reply=$(timeout 30 ipptool -tv -d file="$designs/card.png" -d format=image/png -d name=ipptool \
  -d "track1=ALEX SAMPLE" -d track2=0042197705 -d area=10,20,600,1000 -d mode=r \
  "$(printer_uri cards)" "$here/print_job.test") || fail "ipptool could not print: $reply"
job=$(sed -n 's/^ *job-id (integer) = //p' <<<"$reply")
state=$(wait_for_job cards "$job")
[[ "$state" == completed\|* ]] || fail "ipptool: job $job ended as \"$state\""
"$cardprint" print "$designs/card.png" -q -o "$work/expected/ipptool.prn" --panels k --encoder \
  --track1 "ALEX SAMPLE" --track2 0042197705 --print-area 10,20,600,1000 --mag-mode R
python3 "$compare" "$cardprint" "$work/expected/ipptool.prn" "$work/out/cards/ipptool.prn" \
  || fail "ipptool: the delivered job differs from cardprint print's"

# A job in the printer's own language goes through unchanged.
submit_job cards native "$work/expected/settings.prn"
cmp -s "$work/expected/settings.prn" "$work/out/cards/native.prn" \
  || fail "native: the delivered job is not the job submitted"

echo "== jobs the printer cannot take"
# Each fails with its reason as the job's state message, leaves no job file,
# and the server goes on serving.
refused_job() { # PRINTER NAME MESSAGE-PATTERN SECONDS FILE ARGS...
  local printer=$1 name=$2 pattern=$3 seconds=$4 file=$5 job state
  shift 5
  job=$(send_job "$printer" "$name" "$file" "$@") || fail "$name: cardprint-app submit failed"
  job=${job##*-}
  state=$(wait_for_job "$printer" "$job" "$seconds")
  [[ "$state" == aborted\|* || "$state" == canceled\|* ]] || fail "$name: job $job ended as \"$state\""
  [[ "${state##*|}" == *$pattern* ]] || fail "$name: job $job's message is \"${state##*|}\""
  [[ ! -e "$work/out/$printer/$name.prn" ]] || fail "$name: a job file was left behind"
  curl -sf -o /dev/null --max-time 5 "$web/" || fail "$name: the server stopped serving"
  echo "   $name: ${state%%|*}: ${state##*|}"
}
head -c 100000 "$work/expected/card.prn" >"$designs/truncated.prn"
refused_job cards malformed "not in the card printer's language" 30 "$designs/truncated.prn"
refused_job cards unknown-value "cardprint-mag-mode takes auto, q, r, w" 30 "$designs/card.png" \
  -o cardprint-mag-mode=x
refused_job cards off-the-card "print area 0,0,700,1000 does not lie on the card" 30 \
  "$designs/card.png" -o cardprint-print-area=0,0,700,1000
refused_job dead unreachable "socket://127.0.0.1:$closed_port cannot be opened" 60 "$designs/card.png"
submit_job cards after-refusals "$designs/card.png"
cmp -s "$work/out/cards/after-refusals.prn" "$work/expected/card.prn" \
  || fail "the job after the refused ones differs from the same job before them"

echo "== the web interface"
page=$web/web/printing
dump_page() { # FILE
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/chromium" --dump-dom "$page" >"$1" 2>"$work/log/chromium.err" \
    || fail "headless Chromium could not show $page: $(tail -3 "$work/log/chromium.err")"
}
dump_page "$work/log/defaults-before.html"
grep -q 'name="cardprint-color-panels" checked' "$work/log/defaults-before.html" \
  || fail "the printer's web page does not show the colour panels on"
grep -q 'name="cardprint-yellow-adjust" min="-96" max="96" value="0"' "$work/log/defaults-before.html" \
  || fail "the printer's web page does not show the yellow adjustment"
# The defaults changed as a browser posts the form: colour panels off, yellow
# -20, the encoder fitted with a track 1 text.
python3 "$here/post_form.py" "$page" cardprint-color-panels=off cardprint-yellow-adjust=-20 \
  cardprint-mag-encoder=on "cardprint-track-1=WEB DEFAULT" >"$work/log/defaults-posted.html"
grep -q 'Changes saved' "$work/log/defaults-posted.html" || fail "the web form was not saved"
dump_page "$work/log/defaults-after.html"
grep -q 'name="cardprint-color-panels">' "$work/log/defaults-after.html" \
  && grep -q 'name="cardprint-yellow-adjust" min="-96" max="96" value="-20"' "$work/log/defaults-after.html" \
  && grep -q 'name="cardprint-track-1" value="WEB DEFAULT"' "$work/log/defaults-after.html" \
  || fail "the printer's web page does not show the changed defaults"
submit_job web after-web "$designs/card.png"
"$cardprint" print "$designs/card.png" -q -o "$work/expected/after-web.prn" --panels k,o \
  --color -20,0,0,0 --encoder --track1 "WEB DEFAULT"
python3 "$compare" "$cardprint" "$work/expected/after-web.prn" "$work/out/web/after-web.prn" \
  || fail "after-web: the job does not follow the defaults set in the web page"

echo "== 50 jobs from five clients at once"
# Each client's odd jobs are the design, its even ones the native job.
load_file() { if (($1 % 2)); then echo "$designs/card.png"; else echo "$work/expected/card.prn"; fi; }
for client in 1 2 3 4 5; do
  (
    for n in $(seq 10); do
      send_job load "load-$client-$n" "$(load_file "$n")" >/dev/null \
        || echo "client $client: job $n was not taken" >>"$work/log/load-errors"
    done
  ) &
  clients+=($!)
done
# PAPPL 1.3.1 can admit a second job while the first is still being
# received, and close the device under it when it starts as the first one
# ends: that job ends aborted, its job file dropped, with "The card job
# could not be sent to the printer." as the state message, and the client
# sends it again, as a user would. Any other job that ends unprinted fails.
resent=()
resend_aborted() {
  local id name state
  while read -r id name; do
    [[ " ${resent[*]} " != *" $id "* ]] || continue
    state=$(job_state load "$id")
    [[ "$state" == aborted\|*'job could not be sent to the printer.' ]] \
      || fail "$name: job $id ended without printing: $state"
    send_job load "$name" "$(load_file "${name##*-}")" >/dev/null \
      || fail "$name: could not be sent again"
    resent+=("$id")
    echo "   $name: job $id could not reach the device as another job ended; sent again"
  done < <(timeout 10 "${app_command[@]}" jobs -d load | awk '$2 == "aborted" || $2 == "canceled" {print $1, $NF}')
}
wait_deadline=$((SECONDS + 300))
while (($(find "$work/out/load" -name '*.prn' -size +0 | wc -l) < 50)) \
  || [[ -n "$(timeout 10 "${app_command[@]}" jobs -d load | grep -v -E ' (completed|canceled|aborted) ')" ]]; do
  ((SECONDS < wait_deadline)) || fail "the 50 jobs did not all print within 300 s"
  resend_aborted
  kill -0 "$server_pid" 2>/dev/null || fail "the server stopped while it printed the 50 jobs"
  sleep 0.5
done
wait "${clients[@]}"
resend_aborted
[[ ! -s "$work/log/load-errors" ]] || fail "$(cat "$work/log/load-errors")"
expected_states=" 50 completed"
((${#resent[@]} == 0)) || expected_states=" ${#resent[@]} aborted"$'\n'"$expected_states"
[[ "$(timeout 10 "${app_command[@]}" jobs -d load | awk '{print $2}' | sort | uniq -c | tr -s ' ')" \
  == "$expected_states" ]] \
  || fail "not all 50 jobs completed: $(timeout 10 "${app_command[@]}" jobs -d load)"
(($(ls "$work/out/load" | wc -l) == 50)) || fail "$(ls "$work/out/load" | wc -l) job files for 50 jobs"
for file in "$work"/out/load/*.prn; do
  cmp -s "$file" "$work/expected/card.prn" || fail "$(basename "$file") is not the whole card job"
done
echo "   50 jobs, each delivered once and whole"

echo "== a job cancelled part-way"
send_job cards forty "$designs/forty-cards.pwg" \
  >"$work/log/forty.out" 2>&1 &
submitter=$!
deadline=$((SECONDS + 60))
until timeout 10 "${app_command[@]}" jobs -d cards | grep -q ' processing .* forty$'; do
  ((SECONDS < deadline)) || fail "the forty-card job never began"
  sleep 0.1
done
sleep 1
long_job=$(timeout 10 "${app_command[@]}" jobs -d cards | awk '$NF == "forty" {print $1}')
timeout 10 "${app_command[@]}" cancel -d cards -j "$long_job" || fail "could not cancel job $long_job"
state=$(wait_for_job cards "$long_job" 60)
[[ "$state" == canceled\|* ]] || fail "the cancelled job $long_job ended as \"$state\""
wait "$submitter" || true
[[ ! -e "$work/out/cards/forty.prn" ]] || fail "the cancelled job left $(stat -c %s "$work/out/cards/forty.prn") bytes behind"
submit_job cards after-cancel "$designs/card.png"
cmp -s "$work/out/cards/after-cancel.prn" "$work/expected/card.prn" \
  || fail "the job after the cancelled one differs from the same job before it"
echo "   job $long_job cancelled, no job file left; the next job printed the same card"

echo "== the server stopped"
kill -TERM "$server_pid"
server_ended 100 || fail "the server did not stop within 10 s of SIGTERM"
wait "$server_pid" || true
server_pid=
# A sanitizer build reports what it finds on the server's error output.
if grep -qE '^(WARNING: ThreadSanitizer|ERROR: (Address|Leak)Sanitizer)|runtime error:' \
  "$work/log/server.out"; then
  fail "the server reported a fault: $(grep -m1 -A30 -E 'Sanitizer|runtime error:' "$work/log/server.out")"
fi
echo "   no fault reported on its error output"

echo "== cardprint-app end to end: all passed in $((SECONDS - started)) s"
