// TLQuickSort: quicksort and binary search by position, over whatever a
// derived class compares and exchanges. The derived class keeps the data and
// the search key; the base only moves positions.
#pragma once

namespace krv {

class TLQuickSort {
  public:
    virtual ~TLQuickSort() = default;

    // Sorts positions l..r. Returns 0 (-1 when a nested pass failed).
    int Sort(int l, int r);
    // The position in l..r whose element equals the search key (the first one
    // the bisection meets), or -1; a miss leaves the insert position behind.
    // Sorts first when not yet sorted.
    int Find(int l, int r);
    // Where the search key would go in l..r: 0 before everything, r + 1 after
    // everything, else the insert position of Find (-1 when present).
    int FindInsertPlace(int l, int r);

    bool IsSorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    int GetInsertPosition() const { return insertPosition_; }

    // The derived class's side, in this slot order.
    virtual void SetNumDone(int) {}
    virtual int SortCompare(int, int) { return 0; }
    virtual void ExChange(int, int) {}
    // The search key compared with the element at a position (key first).
    virtual int FindCompare(int) { return 0; }

  private:
    int insertPosition_ = 0;
    bool sorted_ = false;
};

}  // namespace krv
