#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz with clang++, AddressSanitizer and
# UndefinedBehaviorSanitizer. Usage: tools/build-fuzzers.sh [output directory]
# Then run e.g.: build-fuzz/val_fuzz -max_total_time=300 build-fuzz/corpus/val
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++}
mkdir -p "$out/obj"

common=(-std=c++20 -g -O1 -Wall -Wextra -fno-omit-frame-pointer -I"$root")
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined)

# The number text sources with just enough of the runtime under them: string
# memory, error raising, and stand-ins for the core and platform pieces they reach.
runtime=(
  strings/number_digits.cpp strings/number_text.cpp strings/val.cpp
  strings/number_scan.cpp strings/number_convert.cpp
  strings/print_using.cpp strings/using_fields.cpp strings/using_number.cpp
  strings/string_memory.cpp strings/string_create.cpp strings/string_assign.cpp
  strings/string_compact.cpp strings/conventional_memory.cpp strings/scratch_arena.cpp
  errors/errors.cpp tests/fuzz/fuzz_support.cpp
)

objects=()
for src in "${runtime[@]}"; do
  obj="$out/obj/$(echo "$src" | tr / _).o"
  "$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer-no-link -c "$root/$src" -o "$obj"
  objects+=("$obj")
done

for target in "$root"/tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$target" .cpp)
  "$cxx" "${common[@]}" "${sanitize[@]}" -fsanitize=fuzzer "$target" "${objects[@]}" \
    -o "$out/$name"
  mkdir -p "$out/corpus/$name"
  echo "built $out/$name"
done
