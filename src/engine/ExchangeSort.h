#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <numeric>
#include <utility>
#include <vector>

namespace kroyna::engine {

namespace detail {

// The order the exchange scheme leaves on keys[first, last), computed in
// n log n: `order` receives the positions of the entries in their final
// order.
//
// Largest keys first, so what needs telling is the order within each group
// of equal keys K. Only the entries with keys of at least K decide it, and
// among them the scheme acts on the pattern of "larger" and "equal"
// entries alone: while the first of them is larger, each round takes it
// away; while it is an equal one, the round moves it to just before the
// next larger one (behind the other equal ones ahead of that) and takes
// that larger one away. So the group's entries, in their original order,
// form a queue that turns by one for every larger entry between them and
// after the last of them, and the next equal entry joins it at the back.
template <typename Key>
void ExchangeOrder(const std::vector<Key>& keys, std::size_t first, std::size_t last, std::vector<std::size_t>& order) {
  const std::size_t n = last - first;
  std::vector<std::size_t> byKey(n);
  std::iota(byKey.begin(), byKey.end(), first);
  std::stable_sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return keys[a] > keys[b]; });
  // Entries of the larger keys seen so far, counted by position (a Fenwick
  // tree over positions first..last-1).
  std::vector<std::size_t> tree(n + 1, 0);
  auto add = [&](std::size_t pos) {
    for (std::size_t i = pos - first + 1; i <= n; i += i & (~i + 1)) ++tree[i];
  };
  auto larger = [&](std::size_t pos) {  // larger entries at positions < pos
    std::size_t sum = 0;
    for (std::size_t i = pos - first; i > 0; i -= i & (~i + 1)) sum += tree[i];
    return sum;
  };
  order.clear();
  std::deque<std::size_t> queue;
  for (std::size_t g = 0; g < n;) {
    std::size_t end = g + 1;
    while (end < n && !(keys[byKey[end]] < keys[byKey[g]])) ++end;
    queue.assign(1, byKey[g]);
    for (std::size_t j = g + 1; j <= end; ++j) {
      const std::size_t from = byKey[j - 1] + 1;
      const std::size_t to = j < end ? byKey[j] : last;
      std::size_t turns = larger(to) - larger(from);
      if (turns > 0 && queue.size() > 1) {
        turns %= queue.size();
        if (turns <= queue.size() / 2) {
          for (; turns > 0; --turns) {
            queue.push_back(queue.front());
            queue.pop_front();
          }
        } else {
          for (turns = queue.size() - turns; turns > 0; --turns) {
            queue.push_front(queue.back());
            queue.pop_back();
          }
        }
      }
      if (j < end) queue.push_back(byKey[j]);
    }
    order.insert(order.end(), queue.begin(), queue.end());
    for (std::size_t j = g; j < end; ++j) add(byKey[j]);
    g = end;
  }
}

}  // namespace detail

// The one sorting scheme of the engine. For each position i from the first
// to the last but one, the entry at i is compared in turn with every later
// entry j; whenever the entry at j ranks strictly before the entry at i the
// two are exchanged and the comparison goes on with the new entry at i.
// The scheme is not stable, and the order it leaves among equal keys is part
// of the layouts the engine produces, so no library sort may stand in for it.
// Done as written it takes time in the square of the entries; long lists
// are ordered the same way in n log n (detail::ExchangeOrder).
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
  if (start == n) return;

  constexpr std::size_t kLong = 64;
  if (n - start >= kLong) {
    std::vector<std::size_t> order;
    detail::ExchangeOrder(keys, start, n, order);
    std::vector<T> moved;
    moved.reserve(n - start);
    for (const std::size_t from : order) moved.push_back(std::move(items[from]));
    std::move(moved.begin(), moved.end(), items.begin() + static_cast<std::ptrdiff_t>(start));
    return;
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
