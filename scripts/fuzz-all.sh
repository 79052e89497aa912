#!/usr/bin/env bash
# Runs every libFuzzer target in turn, each for SECONDS (default 600), from a copy of its
# committed seeds, under AddressSanitizer and UndefinedBehaviorSanitizer. Inputs that crash
# land in OUT/<target>/findings; each run's log is OUT/<target>.log and the last line of the
# script is the summary. A target's run counts as clean only when libFuzzer reports "Done".
#
#   scripts/fuzz-all.sh [-b build-fuzz] [-o /tmp/tickwood-fuzz] [-t SECONDS] [target...]
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
out="/tmp/tickwood-fuzz"
seconds=600

while getopts "b:o:t:" option; do
  case "$option" in
    b) build="$OPTARG" ;;
    o) out="$OPTARG" ;;
    t) seconds="$OPTARG" ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))

# target | seed folder under fuzz/corpus (or -) | dictionary under fuzz/ (or -) | extra flags
targets=(
  "fuzz_archive|archive|archive.dict|"
  "fuzz_udf|udf|udf.dict|"
  "fuzz_props|props|props.dict|"
  "fuzz_scene|scene|udf.dict|-max_len=16384"
  "fuzz_fonts|fonts|text.dict|"
  "fuzz_wide_string|-|text.dict|"
  "fuzz_markup|markup|markup.dict|"
  "fuzz_texture_definition|texture-definitions|text.dict|"
  "fuzz_image_decoders|images|-|-max_len=65536"
  "fuzz_bitmap_resource|-|-|"
  "fuzz_registry_file|-|-|"
  "fuzz_sample_load|ogg|-|-max_len=65536"
  "fuzz_command_line|-|-|"
)

wanted=("$@")
is_wanted() {
  [ ${#wanted[@]} -eq 0 ] && return 0
  local name
  for name in "${wanted[@]}"; do
    [ "$name" = "$1" ] && return 0
  done
  return 1
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

mkdir -p "$out"
failed=0
summary=()
for entry in "${targets[@]}"; do
  IFS='|' read -r target seeds dict extra <<<"$entry"
  is_wanted "$target" || continue
  binary="$build/bin/$target"
  if [ ! -x "$binary" ]; then
    echo "$target: not built in $build" >&2
    failed=1
    continue
  fi
  corpus="$out/$target/corpus"
  findings="$out/$target/findings"
  mkdir -p "$corpus" "$findings"
  if [ "$seeds" != "-" ]; then
    cp -n "$root/fuzz/corpus/$seeds/"* "$corpus/" 2>/dev/null
  fi
  flags=(-max_total_time="$seconds" -artifact_prefix="$findings/" -print_final_stats=1)
  [ "$dict" != "-" ] && flags+=(-dict="$root/fuzz/$dict")
  [ -n "$extra" ] && flags+=($extra)
  echo "$target: ${seconds} s"
  "$binary" "${flags[@]}" "$corpus" >"$out/$target.log" 2>&1
  status=$?
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$target.log" | grep -o '[0-9]*$')"
  found="$(find "$findings" -type f | wc -l)"
  if [ $status -eq 0 ] && grep -q '^Done ' "$out/$target.log" && [ "$found" -eq 0 ]; then
    summary+=("$target: clean, ${runs:-?} runs")
  else
    summary+=("$target: FAILED (exit $status, $found findings, see $out/$target.log)")
    failed=1
  fi
done

printf '%s\n' "${summary[@]}"
if [ $failed -eq 0 ]; then
  echo "fuzz-all: every target clean"
else
  echo "fuzz-all: findings or failures above"
fi
exit $failed
