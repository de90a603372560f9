# Sourced by the fuzz scripts: builds every libFuzzer target with clang in
# build/fuzz and reads the list the build writes (see kroyna_fuzz in
# cmake/KroynaHelpers.cmake), one target a line:
#   fuzz_names[i]  the target's name
#   fuzz_exes[i]   its program
#   fuzz_corpus[i] its corpus folder, tests/data/fuzz/NAME (may not exist yet)
#   fuzz_seeds[i]  its seed files and folders, separated by tabs
# fuzz_seed_into DIR I copies the corpus and the seeds of target I into DIR.
fuzz_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzz_build="$fuzz_root/build/fuzz"
# The leak checker skips what the libraries keep for themselves, as in the
# test command.
export LSAN_OPTIONS="suppressions=$fuzz_root/tests/lsan.supp:print_suppressions=0"
fuzz_launcher=()
# A compiler cache, where installed, also for the precompiled headers.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
if command -v ccache >/dev/null; then fuzz_launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$fuzz_root" -B "$fuzz_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only -DKROYNA_FUZZ=ON -DKROYNA_SANITIZE=ON -DKROYNA_TESTS=OFF "${fuzz_launcher[@]}" >/dev/null
cmake --build "$fuzz_build" --parallel "$(nproc)" --target fuzz_targets

fuzz_names=()
fuzz_exes=()
fuzz_corpus=()
fuzz_seeds=()
while IFS=$'\t' read -r name exe corpus seeds; do
  [ -n "$name" ] || continue
  fuzz_names+=("$name")
  fuzz_exes+=("$exe")
  fuzz_corpus+=("$corpus")
  fuzz_seeds+=("$seeds")
done <"$fuzz_build/fuzz-targets.txt"

fuzz_seed_into() {
  local dir="$1" i="$2" s f n=0
  local -a paths
  IFS=$'\t' read -r -a paths <<<"${fuzz_seeds[$i]}"
  mkdir -p "$dir"
  for s in "${fuzz_corpus[$i]}" "${paths[@]}"; do
    [ -e "$s" ] || continue
    # Numbered, so that files of the same name from two folders both stay.
    while IFS= read -r -d '' f; do
      n=$((n + 1))
      cp "$f" "$dir/$n-$(basename "$f")"
    done < <(find "$s" -maxdepth 1 -type f -print0)
  done
}

# Allocations the Qt platform libraries keep for the life of the process.
export LSAN_OPTIONS="suppressions=$fuzz_root/tests/lsan.supp:print_suppressions=0"
