#include "exportdata/quicksort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace krv::test {
namespace {

// Sorts a vector of numbers through the base's position interface.
struct Numbers : TLQuickSort {
    std::vector<int> v;
    int key = 0;
    int exchanges = 0;
    std::vector<int> done;
    int SortCompare(int i, int j) override {
        return v[static_cast<size_t>(i)] < v[static_cast<size_t>(j)]   ? -1
               : v[static_cast<size_t>(i)] > v[static_cast<size_t>(j)] ? 1
                                                                       : 0;
    }
    void ExChange(int i, int j) override {
        ++exchanges;
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(j)]);
    }
    int FindCompare(int i) override {
        return key < v[static_cast<size_t>(i)] ? -1 : key > v[static_cast<size_t>(i)] ? 1 : 0;
    }
    void SetNumDone(int r) override { done.push_back(r); }
};

TEST(TLQuickSortTest, SortsAnyOrderWithDuplicates) {
    std::mt19937 rng(7);
    for (int n : {1, 2, 3, 10, 257, 5000}) {
        for (int distinct : {1, 3, 1000}) {
            Numbers s;
            for (int i = 0; i < n; ++i) s.v.push_back(static_cast<int>(rng() % distinct));
            std::vector<int> want = s.v;
            std::sort(want.begin(), want.end());
            EXPECT_EQ(s.Sort(0, n - 1), 0);
            EXPECT_EQ(s.v, want) << n << " " << distinct;
            EXPECT_EQ(s.done.back(), n - 1);  // the outermost call reports last
        }
    }
    Numbers sorted;
    for (int i = 0; i < 1000; ++i) sorted.v.push_back(i);
    sorted.Sort(0, 999);
    EXPECT_TRUE(std::is_sorted(sorted.v.begin(), sorted.v.end()));
    Numbers empty;
    EXPECT_EQ(empty.Sort(0, -1), 0);
}

TEST(TLQuickSortTest, SortsOnlyTheGivenRange) {
    Numbers s;
    s.v = {9, 8, 5, 3, 4, 1, 0};
    s.Sort(2, 5);
    EXPECT_EQ(s.v, (std::vector<int>{9, 8, 1, 3, 4, 5, 0}));
}

TEST(TLQuickSortTest, FindSortsFirstAndLeavesTheInsertPosition) {
    Numbers s;
    s.v = {50, 10, 40, 20, 30};
    s.key = 40;
    EXPECT_FALSE(s.IsSorted());
    EXPECT_EQ(s.Find(0, 4), 3);
    EXPECT_TRUE(s.IsSorted());
    s.key = 25;
    EXPECT_EQ(s.Find(0, 4), -1);
    EXPECT_EQ(s.GetInsertPosition(), 2);
    s.key = 5;
    EXPECT_EQ(s.Find(0, 4), -1);
    EXPECT_EQ(s.GetInsertPosition(), 0);
    s.key = 99;
    EXPECT_EQ(s.Find(0, 4), -1);
    EXPECT_EQ(s.GetInsertPosition(), 5);

    // Among equal keys, the first one the bisection meets.
    Numbers d;
    d.v = {1, 2, 2, 2, 2, 2, 3};
    d.SetSorted(true);
    d.key = 2;
    EXPECT_EQ(d.Find(0, 6), 3);
    d.v = {2, 2, 3, 3, 3, 3, 3};
    EXPECT_EQ(d.Find(0, 6), 1);
    int exchanges = d.exchanges;
    d.Find(0, 6);
    EXPECT_EQ(d.exchanges, exchanges);  // sorted once, not again
}

TEST(TLQuickSortTest, FindInsertPlace) {
    Numbers s;
    s.v = {10, 20, 30, 40};
    s.key = 5;
    EXPECT_EQ(s.FindInsertPlace(0, 3), 0);
    EXPECT_TRUE(s.IsSorted());
    s.key = 45;
    EXPECT_EQ(s.FindInsertPlace(0, 3), 4);
    s.key = 25;
    EXPECT_EQ(s.FindInsertPlace(0, 3), 2);
    s.key = 30;
    EXPECT_EQ(s.FindInsertPlace(0, 3), -1);  // present
    s.key = 10;
    EXPECT_EQ(s.FindInsertPlace(0, 3), -1);
}

}  // namespace
}  // namespace krv::test
