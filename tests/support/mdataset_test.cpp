#include "support/mdataset.h"

#include <gtest/gtest.h>

#include "support/exception.h"

namespace krv::test {
namespace {

struct Table {
    TMDataSet ds;
    TMField *id, *name, *price, *when;
    Table() {
        id = Add("id", TMFieldType::ftInteger);
        name = Add("name", TMFieldType::ftString);
        price = Add("price", TMFieldType::ftFloat);
        when = Add("when", TMFieldType::ftDateTime);
        ds.Open();
    }
    TMField* Add(const char* n, TMFieldType t) {
        TMField* f = ds.GetFields().Add();
        f->SetName(n);
        f->SetType(t);
        return f;
    }
    void Row(int i, const std::string& n) {
        ds.Append();
        id->SetAsInteger(i);
        name->SetAsString(n);
    }
};

TEST(TMDataSetTest, RowsAppendInsertAndMove) {
    Table t;
    EXPECT_EQ(t.ds.GetCount(), 0);
    t.Row(1, "a");
    t.Row(3, "c");
    EXPECT_EQ(t.ds.GetPosition(), 1);
    t.ds.SetPosition(1);
    t.ds.Insert();  // new row 1, "c" moves to row 2
    EXPECT_EQ(t.ds.GetPosition(), 1);
    t.id->SetAsInteger(2);
    t.name->SetAsString("b");
    ASSERT_EQ(t.ds.GetCount(), 3);
    std::string seen;
    for (t.ds.First(); !t.ds.Eof(); t.ds.Next())
        seen += t.name->GetAsString() + t.id->GetAsString();
    EXPECT_EQ(seen, "a1b2c3");
    // New rows start empty.
    t.ds.Append();
    EXPECT_EQ(t.id->GetAsInteger(), 0);
    EXPECT_EQ(t.name->GetAsString(), "");
    EXPECT_EQ(t.price->GetAsExtended(), 0.0);
    t.ds.Clear();
    EXPECT_EQ(t.ds.GetCount(), 0);
    EXPECT_THROW(t.id->GetAsInteger(), Exception);  // no current row
}

TEST(TMDataSetTest, FieldsConvertBetweenTypes) {
    Table t;
    t.ds.Append();
    t.id->SetAsString(" 42 ");
    EXPECT_EQ(t.id->GetAsInteger(), 42);
    EXPECT_EQ(t.id->GetAsExtended(), 42.0);
    EXPECT_THROW(t.id->SetAsString("4x"), EConvertError);
    t.name->SetAsInteger(-7);
    EXPECT_EQ(t.name->GetAsString(), "-7");
    EXPECT_EQ(t.name->GetAsInteger(), -7);
    t.name->SetAsString("abc");
    EXPECT_THROW(t.name->GetAsInteger(), EConvertError);
    EXPECT_THROW(t.name->GetAsExtended(), EConvertError);
    t.price->SetAsString("12.5");
    EXPECT_EQ(t.price->GetAsExtended(), 12.5);
    EXPECT_EQ(t.price->GetAsString(), "12.5");
    EXPECT_EQ(t.price->GetAsInteger(), 13);  // rounded
    t.id->SetAsExtended(2.4);
    EXPECT_EQ(t.id->GetAsInteger(), 2);
    t.when->SetAsString("2024-02-29 13:45:10");
    EXPECT_EQ(t.when->GetAsString(), "2024-02-29 13:45:10");
    t.when->SetAsString("2024-03-01");
    EXPECT_EQ(t.when->GetAsString(), "2024-03-01 00:00:00");
    EXPECT_THROW(t.when->SetAsString("yesterday"), EConvertError);
}

TEST(TMDataSetTest, FieldLookupAndDeclarationRules) {
    Table t;
    EXPECT_EQ(t.ds.FieldByName("NAME"), t.name);
    EXPECT_EQ(t.ds.GetFields().GetFields(2), t.price);
    EXPECT_EQ(t.price->GetIndex(), 2);
    EXPECT_EQ(t.ds.FindField("nope"), nullptr);
    EXPECT_THROW(t.ds.FieldByName("nope"), Exception);
    // The field list is fixed once the table is open.
    EXPECT_THROW(t.ds.GetFields().Add(), Exception);
    EXPECT_THROW(t.price->SetType(TMFieldType::ftString), Exception);
    TMDataSet closed;
    EXPECT_THROW(closed.Append(), Exception);
}

TEST(TMDataSetTest, IntegerColumnsKeepEveryValueWhateverItsSize) {
    // Small values are stored narrowly; a larger one widens the column
    // without touching the values already there.
    Table t;
    const std::vector<int32_t> values = {0,      1,     -1,    127,       -128,      300,
                                         -32768, 32767, 70000, INT32_MIN, INT32_MAX, 5};
    std::vector<int32_t> stored;
    for (int32_t v : values) {
        t.ds.Append();
        t.id->SetAsInteger(v);
        stored.push_back(v);
        for (size_t r = 0; r < stored.size(); ++r) ASSERT_EQ(t.id->GetAsIntegerAt(r), stored[r]);
    }
    t.ds.SetPosition(2);
    t.ds.Insert();
    t.id->SetAsInteger(-99999);
    stored.insert(stored.begin() + 2, -99999);
    for (size_t r = 0; r < stored.size(); ++r) EXPECT_EQ(t.id->GetAsIntegerAt(r), stored[r]);
    t.ds.Clear();
    t.ds.Append();
    t.id->SetAsInteger(3);
    EXPECT_EQ(t.id->GetAsInteger(), 3);
}

TEST(TMDataSetTest, StringsRewrittenManyTimesKeepTheirNeighbours) {
    // Rewriting texts longer and shorter again and again reuses and reclaims
    // the column's bytes; every row must keep its own text throughout.
    Table t;
    const size_t rows = 2000;
    for (size_t i = 0; i < rows; ++i) t.Row(static_cast<int>(i), "row" + std::to_string(i));
    for (int round = 0; round < 40; ++round) {
        for (size_t i = 0; i < rows; i += 3) {
            std::string text(static_cast<size_t>(round * 10 % 97) + 1,
                             static_cast<char>('a' + round % 26));
            t.name->SetAsStringAt(i, text + std::to_string(i));
        }
    }
    for (size_t i = 0; i < rows; ++i) {
        std::string want =
            i % 3 == 0
                ? std::string(390 % 97 + 1, static_cast<char>('a' + 39 % 26)) + std::to_string(i)
                : "row" + std::to_string(i);
        ASSERT_EQ(t.name->GetAsStringAt(i), want) << i;
    }
    t.name->SetAsStringAt(5, "");
    EXPECT_EQ(t.name->StringViewAt(5), "");
    EXPECT_EQ(t.name->StringViewAt(4), "row4");
}

}  // namespace
}  // namespace krv::test
