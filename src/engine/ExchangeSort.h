#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace kroyna::engine {

// The one sorting scheme of the engine. For each position i from the first
// to the last but one, the entry at i is compared in turn with every later
// entry j; whenever the entry at j ranks strictly before the entry at i the
// two are exchanged and the comparison goes on with the new entry at i.
// The scheme is not stable, and the order it leaves among equal keys is part
// of the layouts the engine produces, so no library sort may stand in for it.
//
// `key(entry)` returns a value where a larger key ranks first; it is called
// once for every entry.
template <typename T, typename KeyFn>
void ExchangeSort(std::vector<T>& items, KeyFn key) {
  const std::size_t n = items.size();
  if (n < 2) return;
  // The keys are computed once and exchanged along with their entries; the
  // buffer is kept between calls (layouts re-sort after every step).
  using Key = decltype(key(items[0]));
  thread_local std::vector<Key> keys;
  keys.resize(n);
  for (std::size_t i = 0; i < n; ++i) keys[i] = key(items[i]);

  // Positions whose entry no later entry outranks are left alone by the
  // scheme, and exchanges further on never reach back to them, so the
  // work starts at the first position that some later entry outranks.
  // Layouts re-sort after every step with only a few entries out of place,
  // mostly near the end, which makes this the common case.
  std::size_t start = n;
  Key bestAfter = keys[n - 1];
  for (std::size_t i = n - 1; i-- > 0;) {
    if (bestAfter > keys[i])
      start = i;
    else
      bestAfter = keys[i];
  }

  for (std::size_t i = start; i + 1 < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      if (keys[j] > keys[i]) {
        using std::swap;
        swap(items[i], items[j]);
        std::swap(keys[i], keys[j]);
      }
    }
  }
}

}  // namespace kroyna::engine
