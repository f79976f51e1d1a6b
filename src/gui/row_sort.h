// The row sort of the sortable grid: quicksort with the middle item as
// pivot (Hoare partitioning) for ranges of more than five items, bubble
// passes for smaller ones. The smaller part of each partition is sorted
// by recursion and the larger one by the loop, so the depth stays below
// log2 of the count whatever the data.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nura {

// The sort key of a cell: ASCII letters upper-cased; the bytes of
// two-byte characters kept as they are (their trail bytes may look like
// letters).
std::string GridSortKey(std::string_view text);

// Bubble passes over items[first..last] until a pass swaps nothing.
template <typename T, typename Less>
void BubbleSortRows(std::vector<T>& items, int first, int last, Less less) {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = first; i < last; ++i) {
      if (less(items[static_cast<size_t>(i) + 1], items[static_cast<size_t>(i)])) {
        std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(i) + 1]);
        swapped = true;
      }
    }
  }
}

// Sorts items[first..last] (inclusive) by `less`.
template <typename T, typename Less>
void SortRows(std::vector<T>& items, int first, int last, Less less) {
  while (last - first > 4) {
    const T pivot = items[static_cast<size_t>(first + (last - first) / 2)];
    int i = first, j = last;
    do {
      while (less(items[static_cast<size_t>(i)], pivot)) ++i;
      while (less(pivot, items[static_cast<size_t>(j)])) --j;
      if (i <= j) {
        std::swap(items[static_cast<size_t>(i)], items[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - first < last - i) {
      SortRows(items, first, j, less);
      first = i;
    } else {
      SortRows(items, i, last, less);
      last = j;
    }
  }
  BubbleSortRows(items, first, last, less);
}

// The order of rows whose keys (GridSortKey) are `keys`, ascending by
// byte: position k of the result holds the index into `keys` of the row
// that stands k-th.
std::vector<int> SortedRowOrder(const std::vector<std::string>& keys);

}  // namespace nura
