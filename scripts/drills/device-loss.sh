#!/usr/bin/env bash
# Loses the saver's device again and again (after every second Present), lets it reset each
# time, and checks that the run survives every cycle, that its resident size stays flat, that
# it still draws the room afterwards (the last frame is neither black nor one colour) and that
# it ends cleanly. Run it on the sanitizer build too (TICKWOOD_BIN=build-asan/bin/tickwood)
# to have LeakSanitizer check the exit.
#   scripts/drills/device-loss.sh [cycles, default 1000]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cycles="${1:-1000}"

export TICKWOOD_FORCE_DEVICE_LOSS="$(seq -s, 2 2 $((cycles * 2)))"
log="$DRILL_DIR/log"
shot="$DRILL_DIR/last.png"
"$TICKWOOD_BIN" /s --seconds 3600 --seed 7 --screenshot "$shot" >"$log" 2>&1 &
pid=$!

first_rss=""
peak_rss=0
samples="$DRILL_DIR/rss"
while kill -0 "$pid" 2>/dev/null; do
  resets=$(grep -c '^Device reset$' "$log" || true)
  rss=$(rss_kb "$pid")
  if [ -n "$rss" ]; then
    echo "$resets $rss" >>"$samples"
    # The first tenth of the cycles builds what the room keeps (programs, pools): the
    # baseline is taken after it.
    if [ -z "$first_rss" ] && [ "$resets" -ge $((cycles / 10)) ]; then first_rss=$rss; fi
    [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
  fi
  if [ "$resets" -ge "$cycles" ]; then
    # A few frames after the last reset, then the daemon's way out.
    sleep 1
    last_rss=$(rss_kb "$pid")
    kill -TERM "$pid"
    break
  fi
  sleep 0.5
done
status=0
wait "$pid" || status=$?

resets=$(grep -c '^Device reset$' "$log" || true)
echo "device-loss: $resets resets of $cycles, resident ${first_rss:-?} kB after $((cycles / 10)) cycles," \
  "${last_rss:-?} kB at the end, peak $peak_rss kB; exit status $status"
[ "$resets" -ge "$cycles" ] || fail "only $resets resets happened (log: $(tail -3 "$log" | tr '\n' ' '))"
grep -q '^Log closed$' "$log" || fail "the run did not end cleanly: $(tail -3 "$log" | tr '\n' ' ')"
if grep -q 'ERROR: LeakSanitizer\|ERROR: AddressSanitizer\|runtime error:' "$log"; then
  fail "the sanitizers reported: $(grep -m3 'ERROR\|runtime error' "$log" | tr '\n' ' ')"
fi
# Flat: at most 8 MB more than after the first tenth of the cycles.
[ $((last_rss - first_rss)) -le 8192 ] || fail "resident size grew from $first_rss kB to $last_rss kB"
python3 - "$shot" <<'PY' || fail "the last frame does not show the room"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
chunks, pos = b"", 8
while pos < len(data):
    size, name = struct.unpack(">I4s", data[pos:pos + 8])
    if name == b"IDAT":
        chunks += data[pos + 8:pos + 8 + size]
    pos += 12 + size
raw = zlib.decompress(chunks)
channels = {2: 3, 6: 4}[kind]
stride = width * channels
colours, total = set(), 0
prev = bytearray(stride)
for row in range(height):
    line = raw[row * (stride + 1):(row + 1) * (stride + 1)]
    filt, cur = line[0], bytearray(line[1:])
    for i in range(stride):
        left = cur[i - channels] if i >= channels else 0
        up, upleft = prev[i], prev[i - channels] if i >= channels else 0
        if filt == 1: cur[i] = (cur[i] + left) & 255
        elif filt == 2: cur[i] = (cur[i] + up) & 255
        elif filt == 3: cur[i] = (cur[i] + (left + up) // 2) & 255
        elif filt == 4:
            p = left + up - upleft
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - upleft)
            cur[i] = (cur[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else upleft)) & 255
    prev = cur
    if row % 8 == 0:
        for x in range(0, width, 8):
            px = tuple(cur[x * channels:x * channels + 3])
            colours.add(px)
            total += sum(px)
print(f"last frame {width}x{height}: {len(colours)} colours sampled, mean level {total / (3 * max(1, len(colours) and (height // 8) * (width // 8))):.1f}")
sys.exit(0 if len(colours) > 50 and total > 0 else 1)
PY
echo "device-loss: passed"
