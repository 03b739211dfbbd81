#!/usr/bin/env bash
# Instructions per host frame inside the plug-in's process call, counted by callgrind for the
# benchmark states (bench/states/*.tavo) at oversampling factors 1, 2 and 4.
#   tools/cpu-count.sh [--detail STATE:FACTOR] [--check] RENDERER PLUGIN
# RENDERER is tavo-render, PLUGIN the Tavo.so it loads; nothing is built here. The input is 1 s of
# 44.1 kHz stereo, rendered in 512-frame blocks with no settling time, so every counted frame is a
# frame the host asked for. Instruction counts, unlike times, do not depend on the machine's load.
#   --detail STATE:FACTOR  also print the 25 costliest functions (inclusive) of that configuration
#   --check                exit 1 when a configuration misses its target
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
STATES_DIR="$ROOT/bench/states"
STATES=(default heavy)
FACTORS=(1 2 4)
RATE=44100
FRAMES=44100  # the 1 s input
BLOCK=512
# Targets in instructions per host frame: a fresh instance, and the heavy state against it.
declare -A DEFAULT_TARGET=([1]=760 [2]=1500)
HEAVY_RATIO=3

die() { echo "cpu-count: error: $*" >&2; exit 1; }
usage() { sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit 2; }

DETAIL=""
CHECK=0
while [ $# -gt 0 ]; do
  case "$1" in
    --detail) [ $# -ge 2 ] || usage; DETAIL="$2"; shift 2 ;;
    --check) CHECK=1; shift ;;
    -h|--help) usage ;;
    -*) echo "cpu-count: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage
RENDERER="$1"
PLUGIN="$2"
[ -x "$RENDERER" ] || die "renderer not found: $RENDERER"
[ -f "$PLUGIN" ] || die "plug-in not found: $PLUGIN"
command -v valgrind >/dev/null 2>&1 || die "valgrind is not installed (apt-get install valgrind)"
if [ -n "$DETAIL" ]; then
  [[ "$DETAIL" =~ ^(default|heavy):(1|2|4)$ ]] || die "--detail wants STATE:FACTOR, e.g. default:2"
fi

WORK="$(mktemp -d /tmp/tavo-cpu-count.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
# The plug-in must not pick up a default preset or preferences from the real user folders.
mkdir -p "$WORK/user"
export TAVO_USER_ROOT="$WORK/user"

SIGNAL="$WORK/signal.wav"
SIGNAL_TOOL="${TAVO_DEMO_SIGNAL:-$(dirname "$RENDERER")/tavo-demo-signal}"
if [ -x "$SIGNAL_TOOL" ]; then
  "$SIGNAL_TOOL" "$SIGNAL" 1 >/dev/null
elif command -v sox >/dev/null 2>&1; then
  sox -n -r "$RATE" -c 2 -b 16 "$SIGNAL" synth 1 sawtooth 110 sawtooth 165 vol 0.5
else
  die "no test signal: build tavo-demo-signal or install sox"
fi

# Runs one configuration under callgrind; prints "INSTRUCTIONS SILENT" (SILENT 1 when the output
# was silence, which makes the count meaningless).
count() {  # state, factor, callgrind output file
  local preset="$WORK/$1-$2.tavo"
  sed -E "s/Oversample=\"[0-9]+\"/Oversample=\"$2\"/" "$STATES_DIR/$1.tavo" > "$preset"
  grep -q "Oversample=\"$2\"" "$preset" || die "$STATES_DIR/$1.tavo has no Oversample attribute"
  # Only the host's thread is read: the plug-in's background threads are not its process call.
  if ! valgrind --tool=callgrind --separate-threads=yes --toggle-collect='Norv::processReplacing*' \
      --callgrind-out-file="$3" "$RENDERER" --plugin "$PLUGIN" --preset "$preset" --settle 0 \
      --block "$BLOCK" "$SIGNAL" "$WORK/out.wav" >"$WORK/render.log" 2>"$WORK/valgrind.log"; then
    tail -n 20 "$WORK/valgrind.log" >&2
    die "the render of $1 at factor $2 failed"
  fi
  local totals
  totals="$(awk '/^totals:/ {print $2; exit}' "$3-01")"
  [ -n "$totals" ] || totals="$(awk '/^summary:/ {print $2; exit}' "$3-01")"
  [ -n "$totals" ] || die "no instruction total in $3-01"
  local silent=0
  grep -q "output peak -inf" "$WORK/render.log" && silent=1
  echo "$totals $silent"
}

declare -A PER_FRAME
MISSED=0
printf '%-8s %6s %14s %12s %10s  %s\n' state factor instructions per_frame vs_default target
for state in "${STATES[@]}"; do
  for factor in "${FACTORS[@]}"; do
    result="$(count "$state" "$factor" "$WORK/callgrind.$state-$factor")"
    read -r total silent <<<"$result"
    perFrame=$(awk -v t="$total" -v f="$FRAMES" 'BEGIN { printf "%.0f", t / f }')
    PER_FRAME[$state-$factor]=$perFrame
    ratio="-"
    target="-"
    if [ "$state" = default ]; then
      if [ -n "${DEFAULT_TARGET[$factor]:-}" ]; then
        limit=${DEFAULT_TARGET[$factor]}
        if [ "$perFrame" -lt "$limit" ]; then target="ok (< $limit)"; else target="MISSED (< $limit)"; MISSED=1; fi
      fi
    else
      base=${PER_FRAME[default-$factor]}
      ratio=$(awk -v a="$perFrame" -v b="$base" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }')
      if awk -v a="$perFrame" -v b="$base" -v r="$HEAVY_RATIO" 'BEGIN { exit !(a <= r * b) }'; then
        target="ok (<= ${HEAVY_RATIO}x default)"
      else
        target="MISSED (<= ${HEAVY_RATIO}x default)"
        MISSED=1
      fi
    fi
    if [ "$silent" = 1 ]; then
      target="SILENT OUTPUT: count not meaningful"
      MISSED=1
    fi
    printf '%-8s %6s %14s %12s %10s  %s\n' "$state" "$factor" "$total" "$perFrame" "$ratio" "$target"
  done
done
echo "($FRAMES host frames at $RATE Hz, block $BLOCK; instructions inside Norv::processReplacing)"

if [ -n "$DETAIL" ]; then
  file="$WORK/callgrind.${DETAIL%%:*}-${DETAIL##*:}-01"
  echo
  echo "Top 25 functions, inclusive, ${DETAIL%%:*} at factor ${DETAIL##*:} (instructions per host frame):"
  # The host program's own frames (main, the renderer, the C start-up) wrap every call: left out.
  # awk reads to the end, so that no stage of the pipe dies of a closed pipe.
  callgrind_annotate --inclusive=yes --threshold=100 "$file" |
    awk -v frames="$FRAMES" '
      /file:function/ { listed = 1; getline; next }
      !listed || done { next }
      !NF { done = 1; next }
      /\/tavo-render\]$|ld-linux|libc-start|\(below main\)/ { next }
      shown < 25 {
        shown++
        count = $1; gsub(",", "", count)
        match($0, /\([^)]*\)/)
        share = substr($0, RSTART, RLENGTH)
        line = $0
        sub(/^ *[0-9,]+ +\([^)]*\) +[^: ]*:/, "", line)
        sub(/ \[[^]]*\]$/, "", line)
        printf "%9.1f %s %s\n", count / frames, share, line
      }'
fi

[ "$CHECK" = 1 ] && [ "$MISSED" = 1 ] && exit 1
exit 0
