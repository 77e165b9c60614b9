// The goods and partner records against the export buffer's tables: the
// columns the host's readers rely on, every field through a row and back,
// what Clear() keeps, and the records' text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exportdata/expbuf.h"
#include "exportdata/kontrrec.h"
#include "exportdata/towrec.h"
#include "fakes/polish_locale.h"

namespace krv::test {
namespace {

struct Column {
    const char* name;
    TMFieldType type;
};

constexpr TMFieldType I = TMFieldType::ftInteger;
constexpr TMFieldType S = TMFieldType::ftString;
constexpr TMFieldType F = TMFieldType::ftFloat;
constexpr TMFieldType D = TMFieldType::ftDateTime;

// Written out here on purpose: reordering the records' field lists must
// fail this test, not silently move a column.
// clang-format off
const std::vector<Column> kGoodsColumns = {
    {"plu", I},              {"koldod", I},           {"kod", S},
    {"cena", F},             {"cena_hurt", F},        {"cena_noc", F},
    {"cena_dod", F},         {"nazwa", S},            {"stawka", I},
    {"stawka_prec", I},      {"jedn", I},             {"czy_wazony", I},
    {"precyzja", I},         {"wagowo_ilosciowy", I}, {"opakowanie", I},
    {"cena_otwarta", I},     {"kod_opakowania", S},   {"plu_opakowania", I},
    {"nr_asort", I},         {"status", I},           {"nr_buf", I},
    {"plu_rec", S},          {"tr_ok", I},            {"flag", I},
    {"add_rec", I},          {"org_barcode", S},      {"org_status", I},
    {"opis1", S},            {"opis2", S},            {"PKWiU", S},
    {"SWW", S},              {"TerminW", I},          {"fd_nr_src_buf", I},
    {"fd_from_ecr", I},      {"fd_tow_z_kontr", I},   {"opis3", S},
    {"opis4", S},            {"poziom_cen", I},       {"ile_w_kodzie", I},
    {"fd_dod_rabat_tow", F}, {"nazwa_pelna", S},      {"ile_jedn", I},
};

const std::vector<Column> kPartnerColumns = {
    {"KontrId", I},       {"Nazwa", S},         {"Skrot", S},
    {"Ulica", S},         {"Kod", S},           {"Miasto", S},
    {"Telefon", S},       {"NIP", S},           {"KodKarty", S},
    {"TermWaznKarty", D}, {"KartaAktywna", I},  {"PoziomRabatu", I},
    {"RabatOdbiorcy", F}, {"NrBuf", I},         {"IloscPunktow", I},
};
// clang-format on

void ExpectColumns(TMDataSet& table, const std::vector<Column>& want) {
    TMFields& fields = table.GetFields();
    ASSERT_EQ(fields.GetCount(), static_cast<int>(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        TMField* f = fields.GetFields(static_cast<int>(i));
        EXPECT_EQ(f->GetName(), want[i].name) << "column " << i;
        EXPECT_EQ(f->GetType(), want[i].type) << want[i].name;
        EXPECT_EQ(table.FieldByName(want[i].name), f) << want[i].name;
    }
}

// A value unlike the field's default and unlike every other field's value.
void Distinct(int32_t& v, int i) { v = 1000 + i; }
void Distinct(bool& v, int) { v = !v; }
void Distinct(double& v, int i) { v = -(i + 0.25); }
void Distinct(std::string& v, int i) {
    v = "v" + std::to_string(i) + "\xb9\xea";  // Windows-1250 bytes
}

KSTowRec EveryGoodsFieldSet() {
    KSTowRec r;
    int i = 0;
#define KRV_TEST_SET(member, ...) Distinct(r.member, ++i);
    KRV_TOWREC_FIELDS(KRV_TEST_SET)
#undef KRV_TEST_SET
    return r;
}

KSKontrRec EveryPartnerFieldSet() {
    KSKontrRec r;
    int i = 0;
#define KRV_TEST_SET(member, ...) Distinct(r.member, ++i);
    KRV_KONTRREC_FIELDS(KRV_TEST_SET)
#undef KRV_TEST_SET
    return r;
}

TEST(RecordColumns, NamesTypesAndOrderOfTheGoodsAndPartnerTables) {
    KSExpBuf buf(nullptr);
    ExpectColumns(buf.Towary(), kGoodsColumns);
    ExpectColumns(buf.Kontrahenci(), kPartnerColumns);
}

TEST(RecordColumns, EveryGoodsFieldThroughARowAndBack) {
    KSExpBuf buf(nullptr);
    const KSTowRec empty;
    KSTowRec set = EveryGoodsFieldSet();
    ASSERT_NE(set, empty);
    buf.DodajRec(&empty);
    buf.DodajRec(&set);

    KSTowRec out;
    buf.CzytajRec(1, &out);
    KSTowRec want = set;
    want.nr_buf = 1;  // the row's number, whatever the record said
    EXPECT_EQ(out, want);
    buf.CzytajRec(0, &out);
    want = empty;
    want.nr_buf = 0;
    EXPECT_EQ(out, want);

    // Writing a row over another: zeros, empty texts and false flags replace
    // what was there, and a negative zero keeps its sign.
    KSTowRec zeros;
    zeros.cena = -0.0;
    buf.ZapiszRec(1, &zeros);
    buf.CzytajRec(1, &out);
    EXPECT_EQ(out, zeros);
    EXPECT_TRUE(std::signbit(out.cena));
    buf.ZapiszRec(0, &set);
    buf.CzytajRec(0, &out);
    EXPECT_EQ(out, set);

    // A fresh row keeps a negative zero too.
    buf.DodajRec(&zeros);
    buf.CzytajRec(2, &out);
    EXPECT_TRUE(std::signbit(out.cena));
}

TEST(RecordColumns, EveryPartnerFieldThroughARowAndBack) {
    KSExpBuf buf(nullptr);
    KSKontrRec set = EveryPartnerFieldSet();
    ASSERT_NE(set, KSKontrRec());
    buf.DodajRec(&set);
    buf.DodajRec(&set);
    KSKontrRec out;
    buf.CzytajRec(1, &out);
    KSKontrRec want = set;
    want.NrBuf = 1;
    EXPECT_EQ(out, want);
    const KSKontrRec empty;
    buf.DodajRec(&empty);
    buf.CzytajRec(2, &out);
    want = empty;
    want.NrBuf = 2;
    EXPECT_EQ(out, want);
}

TEST(RecordClear, GoodsKeepOnlyTheFieldsEveryLineSets) {
    KSTowRec r = EveryGoodsFieldSet();
    const KSTowRec set = r;
    r.Clear();
    // The fields that FromLine always sets, and the source buffer's number
    // that is only ever copied, survive; everything else is a new record's.
    KSTowRec want;
    want.PKWiU = set.PKWiU;
    want.SWW = set.SWW;
    want.TerminW = set.TerminW;
    want.poziom_cen = set.poziom_cen;
    want.ile_w_kodzie = set.ile_w_kodzie;
    want.fd_nr_src_buf = set.fd_nr_src_buf;
    EXPECT_EQ(r, want);
    EXPECT_EQ(want.kod_opakowania, "0");
    EXPECT_TRUE(want.cena_otwarta);
    EXPECT_EQ(want.status, kStatusNone);
    EXPECT_EQ(want.org_status, kStatusNone);
    EXPECT_EQ(want.nr_buf, -1);

    KSKontrRec k = EveryPartnerFieldSet();
    k.Clear();
    EXPECT_EQ(k, KSKontrRec());
    EXPECT_EQ(k.NrBuf, -1);
}

TEST(RecordText, EveryFieldByNameInColumnOrderWhateverTheLocale) {
    PolishLocale polish;
    KSTowRec r;
    r.kod = "590";
    r.cena = 1998.5;
    r.czy_wazony = true;
    r.stawka_prec = -1;
    const std::string text = r.Text();
    EXPECT_EQ(text.substr(0, 60), "plu=0; koldod=0; kod=\"590\"; cena=1998.5; cena_hurt=0; cena_n");
    EXPECT_NE(text.find("; stawka_prec=-1; "), std::string::npos) << text;
    EXPECT_NE(text.find("; czy_wazony=T; precyzja=0; wagowo_ilosciowy=F; "), std::string::npos)
        << text;
    size_t at = 0;
    for (const Column& c : kGoodsColumns) {
        size_t found = text.find(std::string(c.name) + "=", at);
        ASSERT_NE(found, std::string::npos) << c.name << " in " << text;
        at = found + 1;
    }
    EXPECT_TRUE(text.ends_with("; ile_jedn=0")) << text;

    KSKontrRec k;
    k.Nazwa = "Firma";
    k.RabatOdbiorcy = 2.5;
    const std::string partner = k.Text();
    EXPECT_TRUE(partner.starts_with("KontrId=0; Nazwa=\"Firma\"; Skrot=\"\"; ")) << partner;
    EXPECT_NE(partner.find("; RabatOdbiorcy=2.5; NrBuf=-1; IloscPunktow=0"), std::string::npos)
        << partner;
    if (!polish.Active()) GTEST_SKIP() << polish.Why();
}

}  // namespace
}  // namespace krv::test
