#!/usr/bin/env bash
# Prints cards through a real CUPS scheduler and checks what reaches the
# printer.
#
# A private cupsd (its own configuration, spool, log, cache, state and
# server-bin folders under a temporary folder, listening on a free loopback
# port only) gets two queues made with the project's PPD and filter, each
# writing to a file: device. Designs go in with `lp -o ...`; every delivered
# job is decoded with `cardprint inspect` and compared with the job
# `cardprint print` makes from the same design and settings. A cancelled job
# must leave the scheduler healthy, and a track text the printer cannot carry
# must fail the job with the filter's ERROR: line.
#
# Usage: tests/host/cups/cups_end_to_end.sh [BUILD_DIR]   (default build/default)
# Run as root (a root cupsd runs filters as user lp, as a real one does).
# KEEP_CUPS_FOLDER=1 leaves the temporary folder behind for a look.
set -euo pipefail

((EUID == 0)) || { echo "cups_end_to_end.sh runs as root, as cupsd does" >&2; exit 1; }

source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
build_dir=$(realpath -m "${1:-$source_dir/build/default}")
here=$source_dir/tests/host/cups
started=$SECONDS

"$source_dir/scripts/install-deps" cups-daemon cups-client cups-filters cups-ppdc cups-ipp-utils python3

if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  (cd "$source_dir" && cmake --preset default >/dev/null)
fi
cmake --build "$build_dir" --target cardprint rastertocardprint cardprint_cups_ppd

cardprint=$build_dir/host/cardprint/cardprint
filter=$build_dir/host/cups/rastertocardprint
ppd=$build_dir/host/cups/ppd/cardprint.ppd
system_serverbin=$(cups-config --serverbin)
system_datadir=$(cups-config --datadir)

# --- the private scheduler ---------------------------------------------------

work=$(mktemp -d /tmp/cardprint-cups.XXXXXX)
cupsd_pid=
stop_scheduler() {
  local status=$?
  if [[ -n "$cupsd_pid" ]] && kill -0 "$cupsd_pid" 2>/dev/null; then
    kill -TERM "$cupsd_pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$cupsd_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$cupsd_pid" 2>/dev/null || true
    wait "$cupsd_pid" 2>/dev/null || true
  fi
  if ((status != 0)); then
    echo "== the scheduler's errors and warnings (the last 40)" >&2
    grep -E '^[EW] ' "$work/log/error_log" 2>/dev/null | tail -n 40 >&2 || true
  fi
  if [[ "${KEEP_CUPS_FOLDER:-}" == 1 ]]; then
    echo "kept $work" >&2
  else
    rm -rf "$work"
  fi
  exit "$status"
}
trap stop_scheduler EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Filters run as user lp: every folder on the way to the filter, the PPD and
# the spool must be traversable, and CUPS refuses filter programs (and their
# folders) not owned by root or writable by group or others.
chmod 755 "$work"
mkdir -p "$work"/{conf/ppd,conf/ssl,spool/tmp,log,cache,state,out,expected,delivered}
mkdir -p "$work"/serverbin/{filter,backend,cgi-bin,daemon,driver,monitor,notifier}
for kind in filter backend cgi-bin daemon driver monitor notifier; do
  for program in "$system_serverbin/$kind"/*; do
    [[ -e "$program" ]] && ln -s "$program" "$work/serverbin/$kind/"
  done
done
rm -f "$work/serverbin/filter/rastertocardprint"
install -m 755 "$filter" "$work/serverbin/filter/rastertocardprint"
chmod 755 "$work"/serverbin "$work"/serverbin/*
chmod 1777 "$work/spool/tmp"
chmod 777 "$work/out"

cat >"$work/conf/cups-files.conf" <<EOF
User lp
Group lp
SystemGroup root
ServerRoot $work/conf
ServerBin $work/serverbin
ServerKeychain $work/conf/ssl
DataDir $system_datadir
RequestRoot $work/spool
TempDir $work/spool/tmp
StateDir $work/state
CacheDir $work/cache
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
Printcap $work/state/printcap
LogFilePerm 0644
FileDevice Yes
Sandboxing relaxed
EOF

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/conf/cupsd.conf" <<EOF
Listen 127.0.0.1:$port
LogLevel debug
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultShared No
ErrorPolicy abort-job
PreserveJobHistory Yes
PreserveJobFiles No
JobKillDelay 10
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

cupsd_program=$(command -v cupsd || echo /usr/sbin/cupsd)
timeout 30 "$cupsd_program" -t -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" \
  >"$work/log/cupsd-t.out" 2>&1 || fail "cupsd -t refused the private configuration: $(cat "$work/log/cupsd-t.out")"
"$cupsd_program" -f -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" \
  >"$work/log/cupsd.out" 2>&1 </dev/null &
cupsd_pid=$!

export CUPS_SERVER=127.0.0.1:$port
unset CUPS_USER PRINTER LPDEST
# lpstat -r succeeds whether or not the scheduler answers: its words tell.
scheduler_runs() { [[ "$(timeout 5 lpstat -r 2>/dev/null)" == "scheduler is running" ]]; }
for _ in $(seq 100); do
  scheduler_runs && break
  kill -0 "$cupsd_pid" 2>/dev/null || fail "cupsd stopped while starting: $(cat "$work/log/cupsd.out")"
  sleep 0.1
done
scheduler_runs || fail "the private scheduler did not answer on port $port"
echo "== private scheduler on 127.0.0.1:$port (pid $cupsd_pid)"

# Nothing of it listens beyond loopback.
if command -v ss >/dev/null; then
  if ss -ltnp 2>/dev/null | grep "pid=$cupsd_pid," | awk '{print $4}' | grep -qv '^127\.0\.0\.1:'; then
    fail "the private scheduler listens beyond loopback: $(ss -ltnp | grep "pid=$cupsd_pid,")"
  fi
fi

# Two queues: a printer without the magnetic encoder and one with it.
add_queue() { # NAME ENCODER
  timeout 30 lpadmin -p "$1" -E -v "file:$work/out/$1.prn" -P "$ppd" \
    -o printer-error-policy=abort-job -o "MagEncoder=$2" 2>"$work/log/lpadmin.err" \
    || fail "lpadmin could not add $1: $(cat "$work/log/lpadmin.err")"
  timeout 30 cupsenable "$1"
  timeout 30 cupsaccept "$1"
}
add_queue cards False
add_queue cards-mag True
grep -qx '\*DefaultMagEncoder: True' "$work/conf/ppd/cards-mag.ppd" \
  || fail "the cards-mag queue's PPD does not have the encoder fitted"

# --- jobs ----------------------------------------------------------------------

# Submits a job and prints its id. Usage: submit QUEUE LP-ARGS...
submit() {
  local queue=$1
  shift
  local reply
  reply=$(timeout 30 lp -d "$queue" "$@") || fail "lp -d $queue $* failed"
  sed -n 's/^request id is \([^ ]*\) .*/\1/p' <<<"$reply"
}

# The state of a job as STATE|REASONS|MESSAGE: its job-state (pending,
# held, processing, processing-stopped, canceled, aborted or completed), its
# job-state-reasons and its state message.
job_state() { # JOB-ID (QUEUE-N)
  local queue=${1%-*} reply
  reply=$(timeout 10 ipptool -t -d "job_id=${1##*-}" "ipp://$CUPS_SERVER/printers/$queue" "$here/job_state.test") \
    || fail "could not ask the scheduler about job $1: $reply"
  printf '%s|%s|%s\n' \
    "$(sed -n 's/^ *job-state (enum) = //p' <<<"$reply")" \
    "$(sed -n 's/^ *job-state-reasons ([^)]*) = //p' <<<"$reply")" \
    "$(sed -n 's/^ *job-printer-state-message ([^)]*) = //p' <<<"$reply")"
}

# Waits (bounded) until the job has ended and prints its state as job_state
# does. A job ends completed, cancelled or aborted or, when a filter fails,
# stopped: the scheduler stops such a job whatever the queue's error policy,
# and goes on with the next one.
wait_for_job() { # JOB-ID [SECONDS]
  local deadline=$((SECONDS + ${2:-120})) state
  while ((SECONDS < deadline)); do
    state=$(job_state "$1")
    case ${state%%|*} in
      completed | canceled | aborted | processing-stopped)
        echo "$state"
        return 0
        ;;
    esac
    sleep 0.2
  done
  fail "job $1 did not end within ${2:-120} s: $state"
}

# Prints one job through a queue and keeps the delivered bytes.
# Usage: print_job NAME QUEUE FILE LP-ARGS...
print_job() {
  local name=$1 queue=$2 file=$3
  shift 3
  local job state
  job=$(submit "$queue" "$@" "$file")
  state=$(wait_for_job "$job")
  [[ "$state" == completed\|* ]] || fail "$name: job $job ended as \"$state\""
  cp "$work/out/$queue.prn" "$work/delivered/$name.prn"
  echo "   $name: $job delivered $(stat -c %s "$work/delivered/$name.prn") bytes"
}

# Prints a job and compares it with the job `cardprint print` makes from the
# same design and settings. SCALE is how many times the design is scaled up
# onto the card: 1 for a design of the card's size, whose panels must match
# within one step farther than a pixel from the design's edges; N for a small
# design, within three steps farther than N/2 pixels (compare_jobs.py says
# why).
# Usage: check_against_cardprint NAME QUEUE FILE SCALE "LP-ARGS" "CARDPRINT-ARGS"
check_against_cardprint() {
  local name=$1 queue=$2 file=$3 scale=$4
  local -a lp_args cardprint_args
  read -r -a lp_args <<<"$5"
  read -r -a cardprint_args <<<"$6"
  print_job "$name" "$queue" "$file" "${lp_args[@]}"
  "$cardprint" print "$file" -q -o "$work/expected/$name.prn" "${cardprint_args[@]}"
  compare_with_cardprint "$name" "$scale"
}

compare_with_cardprint() { # NAME SCALE
  local tolerance=(--edge-radius 1 --step 1)
  (($2 > 1)) && tolerance=(--edge-radius $(($2 / 2)) --step 3)
  python3 "$here/compare_jobs.py" "${tolerance[@]}" "$cardprint" \
    "$work/expected/$1.prn" "$work/delivered/$1.prn" \
    || fail "$1: the delivered job differs from cardprint print's"
}

data=$source_dir/tests/data
examples=$source_dir/host/cardprint/examples
echo "== printing"

check_against_cardprint landscape cards "$examples/id-card.png" 1 "" ""
check_against_cardprint portrait cards "$data/cups_portrait_design.png" 16 \
  "-o CardOrientation=Portrait" "--orientation portrait"
check_against_cardprint black-only-no-overlay cards "$data/print_card.png" 16 \
  "-o ColorPanels=False -o OverlayPanel=False" "--panels k"
check_against_cardprint areas cards "$data/print_card.png" 16 \
  "-o PrintArea=10,20,600,1000 -o OverlayArea1=Custom.1:0,0,300,500 -o OverlayArea2=0:320,0,336,1024" \
  "--print-area 10,20,600,1000 --overlay 1:0,0,300,500 --overlay 0:320,0,336,1024"
check_against_cardprint copies-and-settings cards "$data/print_card.png" 16 \
  "-n 3 -o YellowAdjust=-20 -o SaturationAdjust=Custom.10 -o CyanAdjust=5 -o Adjust1=-3 -o Adjust4=7 -o DocumentMode=1" \
  "--copies 3 --color -20,10,0,5 --adjust -3,0,0,7 --doc-mode 1"
check_against_cardprint no-color-correction cards "$data/print_card.png" 16 \
  "-o ColorCorrection=False" "--no-color-correction"

# lp splits -o values at spaces, so a text with spaces is quoted inside.
print_job tracks cards-mag "$data/print_card.png" \
  -o "Track1='ALEX SAMPLE'" -o Track2=Custom.0042197705 -o Track3=12345 -o MagMode=R
"$cardprint" print "$data/print_card.png" -q -o "$work/expected/tracks.prn" --encoder \
  --track1 "ALEX SAMPLE" --track2 0042197705 --track3 12345 --mag-mode R
compare_with_cardprint tracks 16

# A two-page PDF: two cards, each the card cardprint print makes of the page
# as ghostscript (which CUPS's PDF filters use too) draws it at 300 dpi. The
# first page is red on the left and blue on the right, the second green above
# yellow, so a card turned the wrong way shows.
print_job pdf cards "$data/cups_two_cards.pdf"
timeout 60 gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r300 -o "$work/pdf-page%d.png" "$data/cups_two_cards.pdf"
"$cardprint" print "$work/pdf-page1.png" "$work/pdf-page2.png" -q -o "$work/expected/pdf.prn"
compare_with_cardprint pdf 1

# A JPEG: decoded and fitted by CUPS's image filter, which leaves white
# around a design not of the card's proportions; only the shape of the job is
# checked.
print_job jpeg cards "$data/image_gradient.jpg"
python3 "$here/compare_jobs.py" --shape-only 1 "$cardprint" "$work/delivered/jpeg.prn" \
  || fail "jpeg: the delivered job is not one card"

echo "== a job cancelled while it prints"
# A thirty-card PDF keeps the filters busy long enough to cancel the job. (One
# document: this scheduler leaves a queue busy for good when a job of several
# documents is cancelled, whatever its filters do.)
documents=()
for _ in $(seq 15); do documents+=("$data/cups_two_cards.pdf"); done
timeout 60 gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -o "$work/thirty_cards.pdf" "${documents[@]}"
long_job=$(submit cards "$work/thirty_cards.pdf")
deadline=$((SECONDS + 60))
until timeout 10 lpstat -p cards | grep -q "now printing $long_job"; do
  ((SECONDS < deadline)) || fail "job $long_job never started printing"
  sleep 0.1
done
timeout 10 cancel "$long_job"
state=$(wait_for_job "$long_job" 60)
[[ "$state" == canceled\|* ]] || fail "the cancelled job $long_job ended as \"$state\""
kill -0 "$cupsd_pid" 2>/dev/null || fail "the scheduler stopped after the cancelled job"
deadline=$((SECONDS + 30))
until timeout 10 lpstat -p cards | grep -q "^printer cards is idle.  enabled"; do
  ((SECONDS < deadline)) || fail "the queue did not come back after the cancelled job: $(lpstat -p cards)"
  sleep 0.2
done
print_job after-cancel cards "$examples/id-card.png"
cmp -s "$work/delivered/after-cancel.prn" "$work/delivered/landscape.prn" \
  || fail "the job after the cancelled one differs from the same job before it"
echo "   $long_job cancelled; the next job printed the same card as before"

echo "== a track text the printer cannot carry"
bad_job=$(submit cards-mag -o "Track1=ALEX€" "$data/print_card.png")
state=$(wait_for_job "$bad_job")
[[ "$state" == processing-stopped\|* || "$state" == aborted\|* ]] \
  || fail "the job with an unencodable track text ended as \"$state\""
# The filter's ERROR: line is logged at error level and becomes the job's
# state message (and no message of CUPS's own image filter, which would
# follow if the filter left its input unread).
message=${state##*|}
[[ "${message,,}" == *"track 1"* ]] \
  || fail "job $bad_job's state message is \"$message\", not the filter's word on track 1"
grep -qF "] [Job ${bad_job##*-}] $message" "$work/log/error_log" \
  || fail "job $bad_job's state message \"$message\" is not a line the filter logged"
timeout 10 lpstat -p cards-mag | grep -q "enabled" || fail "the queue stopped after the failed job"
echo "   $bad_job stopped: $message"

echo "== CUPS end to end: all passed in $((SECONDS - started)) s"
