#include "exportdata/quicksort.h"

namespace krv {

int TLQuickSort::Sort(int l, int r) {
    if (r < l) return 0;  // nothing to sort, and no position to compare
    int i = l;
    int j = r;
    int p = l + (r - l) / 2;  // (l + r) / 2 without overflow
    do {
        while (SortCompare(i, p) < 0) ++i;
        while (SortCompare(p, j) < 0) --j;
        if (i <= j) {
            // The pivot is compared by position: follow it when it moves.
            if (p == i)
                p = j;
            else if (p == j)
                p = i;
            ExChange(i, j);
            ++i;
            --j;
        }
    } while (i <= j);
    if (l < j && Sort(l, j) != 0) return -1;
    if (i < r && Sort(i, r) != 0) return -1;
    SetNumDone(r);
    return 0;
}

int TLQuickSort::Find(int l, int r) {
    if (!sorted_) {
        Sort(l, r);
        sorted_ = true;
    }
    while (l <= r) {
        int m = l + (r - l) / 2;
        int c = FindCompare(m);
        if (c == 0) return m;
        if (c < 0)
            r = m - 1;
        else
            l = m + 1;
    }
    insertPosition_ = r + 1;
    return -1;
}

int TLQuickSort::FindInsertPlace(int l, int r) {
    if (!sorted_) {
        Sort(l, r);
        sorted_ = true;
    }
    if (FindCompare(l) < 0) return 0;
    if (FindCompare(r) > 0) return r + 1;
    insertPosition_ = -1;
    Find(l, r);
    return insertPosition_;
}

}  // namespace krv
