#!/usr/bin/env bash
# Runs the real program's main dialog with the virtual camera on Qt's offscreen platform for
# the given number of minutes (default 60), driven at random by build/default/soak/vizmar_soak:
# options, presets, text fields, sources (the camera, a video and a picture) change all the
# time. The seed is printed; SOAK_SEED=<n> repeats a run's actions. The resident memory is
# sampled every SOAK_SAMPLE_SECONDS (default 5) into build/soak/memory.txt.
# Fails when the program crashes or its memory keeps growing: when the lowest sample of the
# run's last third lies more than SOAK_GROWTH_MB (default 50) above the highest sample of its
# first third (the first minute, while caches fill, is left out).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-60}
seed=${SOAK_SEED:-$(( (RANDOM << 15) | RANDOM ))}
sample_seconds=${SOAK_SAMPLE_SECONDS:-5}
growth_mb=${SOAK_GROWTH_MB:-50}

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target vizmar_soak

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=build/soak
mkdir -p "$out"
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=size=160x120:rate=15 -frames:v 45 \
  -c:v mjpeg -q:v 5 "$work/clip.avi"
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc2=size=160x120:rate=15 -frames:v 30 \
  -c:v libx264 -pix_fmt yuv420p "$work/clip.mp4"
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=size=200x150 -frames:v 1 "$work/picture.png"

echo "soak: $minutes min, seed $seed (repeat with SOAK_SEED=$seed)"
export QT_QPA_PLATFORM=offscreen VIZMAR_CAMERA=virtual
build/default/soak/vizmar_soak "$((minutes * 60))" "$seed" "$work" \
  "$work/clip.avi" "$work/clip.mp4" "$work/picture.png" >"$out/driver.log" 2>&1 &
pid=$!

: >"$out/memory.txt"
start=$(date +%s)
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$rss" ] && echo "$(( $(date +%s) - start )) $rss" >>"$out/memory.txt"
  sleep "$sample_seconds"
done
status=0
wait "$pid" || status=$?
cat "$out/driver.log" | grep '^soak:' || true

if [ "$status" -ne 0 ]; then
  echo "soak: FAILED, the program ended with status $status (seed $seed); its output: $out/driver.log"
  tail -n 30 "$out/driver.log"
  exit 1
fi

# Samples in kB, after the first minute; thirds by count.
awk -v growth="$growth_mb" '
  $1 >= 60 { rss[n++] = $2 }
  END {
    if (n < 6) { print "soak: too few samples to judge the memory (run longer)"; exit 0 }
    third = int(n / 3); firstMax = 0; lastMin = -1; peak = 0
    for (i = 0; i < n; i++) if (rss[i] > peak) peak = rss[i]
    for (i = 0; i < third; i++) if (rss[i] > firstMax) firstMax = rss[i]
    for (i = n - third; i < n; i++) if (lastMin < 0 || rss[i] < lastMin) lastMin = rss[i]
    printf "soak: %d samples; resident memory first third max %.1f MB, last third min %.1f MB, peak %.1f MB\n",
           n, firstMax / 1024, lastMin / 1024, peak / 1024
    if (lastMin - firstMax > growth * 1024) {
      printf "soak: FAILED, memory keeps growing (by %.1f MB, more than %d MB)\n", (lastMin - firstMax) / 1024, growth
      exit 1
    }
    print "soak: passed"
  }' "$out/memory.txt"
