// The simulated DIGI scale's table and answers, and the DIGI settings of sm_eth.
#include <gtest/gtest.h>

#include "digi_session.h"
#include "digi_table.h"
#include "local_settings.h"
#include "options.h"
#include "settings.h"
#include "support/cp1250.h"

namespace krv::test {
namespace {

using namespace krv::scalesim;

using tools::digi::PluRecord;

PluRecord Goods(uint32_t plu, const std::string& cp852_name) {
    PluRecord r;
    r.plu = plu;
    r.price = 1999;
    r.label_format = 17;
    r.barcode_format = 5;
    r.barcode = "22000120000000";
    r.sell_by_days = 4;
    r.name = {{3, cp852_name}};
    r.text_block = {{1, "mleko"}, {2, "s\xA2l"}};
    return r;
}

class DigiScale : public ::testing::Test {
  protected:
    unsigned Apply(const std::string& frame) {
        DigiSessionContext ctx{options, table, [this] { ++saves; }, stop,
                               [](const std::string&) {}};
        return ApplyDigiFrame(frame, ctx);
    }
    Options options;
    DigiTable table;
    int saves = 0;
    volatile std::sig_atomic_t stop = 0;
};

TEST_F(DigiScale, WritesDeletesClearsAndAnswersFaults) {
    std::string error;
    ASSERT_TRUE(ParseOptions({"--digi", "--reject", "7:0x15", "--reject=8:2"}, &options, &error))
        << error;
    EXPECT_EQ(Apply(tools::digi::EncodeWrite(Goods(12, "Ser"))), 0x06u);
    EXPECT_EQ(Apply(tools::digi::EncodeWrite(Goods(13, "Chleb"))), 0x06u);
    ASSERT_TRUE(table.Find(12));
    EXPECT_EQ(*table.Find(12), Goods(12, "Ser"));
    EXPECT_EQ(Apply(tools::digi::EncodeWrite(Goods(7, "X"))), 0x15u)
        << "the answer asked for PLU 7";
    EXPECT_EQ(Apply(tools::digi::EncodeDelete({8, 12})), 2u) << "a delete naming PLU 8";
    EXPECT_EQ(table.Size(), 2u) << "a refused frame changes nothing";
    EXPECT_EQ(Apply(tools::digi::EncodeDelete({12, 99})), 0x06u);
    EXPECT_EQ(table.Size(), 1u);
    EXPECT_EQ(Apply("\xF1\x25garbage"), 0x15u) << "a frame the scale cannot read";
    EXPECT_EQ(Apply(tools::digi::EncodeClear()), 0x06u);
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_EQ(saves, 4) << "saved after each change, never after a refusal";

    Options bad;
    EXPECT_FALSE(ParseOptions({"--digi", "--reject", "7:E07:text"}, &bad, &error));
    EXPECT_FALSE(ParseOptions({"--reject", "7:0x100", "--digi"}, &bad, &error));
    EXPECT_FALSE(ParseOptions({"--list"}, &bad, &error)) << "--list needs the state file";
}

TEST_F(DigiScale, StateFileReadsBackAndJsonCarriesEveryField) {
    table.Put(Goods(12, "Ser \xBE\xA2\x88ty"),
              tools::digi::EncodeWrite(Goods(12, "Ser \xBE\xA2\x88ty")));
    std::string error;
    std::optional<DigiTable> back = DigiTable::Parse(table.Serialize(), &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->Serialize(), table.Serialize());
    EXPECT_EQ(table.Serialize().substr(0, 15), "00000012\tF1 25 ");

    std::string json = table.Json(tools::CodePage::Named("cp852").value());
    EXPECT_EQ(
        json,
        "{\"plus\":[\n{\"plu\":12,\"by_piece\":false,\"print_sell_date\":false,\"print_use_by_"
        "date\":false,"
        "\"print_packed_date\":false,\"print_packed_time\":false,\"price\":1999,\"label_format\":"
        "17,"
        "\"barcode_format\":5,\"barcode\":\"22000120000000\",\"sell_by_days\":4,\"use_by_days\":"
        "null,"
        "\"special_message\":null,\"ingredient_number\":null,\"name\":[{\"font\":3,\"text\":\"Ser "
        "żółty\"}],"
        "\"text_block\":[{\"font\":1,\"text\":\"mleko\"},{\"font\":2,\"text\":\"sól\"}]}\n]}\n");
    EXPECT_NE(table.Listing(tools::CodePage::Named("cp852").value()).find("00000012  Ser żółty"),
              std::string::npos);

    for (const char* broken : {"00000012\tF3 25 00 00 00 12\n", "12\tF1 25\n", "00000012\tzz\n"})
        EXPECT_FALSE(DigiTable::Parse(broken, &error)) << broken;
}

TEST(DigiSettings, AddressPortAndOwnSettingsFile) {
    using smeth::ParseDigiAddress;
    EXPECT_EQ(ParseDigiAddress("192.168.1.45")->port, 2045);
    EXPECT_EQ(ParseDigiAddress(" 10.0.0.0 ")->port, 2000);
    EXPECT_EQ(ParseDigiAddress("10.0.0.7:3001")->port, 3001);
    EXPECT_EQ(ParseDigiAddress("waga.sklep:2007")->host, "waga.sklep");
    for (const char* bad : {"waga.sklep", "1.2.3", "1.2.3.256", "1.2.3.4.5", "1..3.4", "", "[::1]"})
        EXPECT_FALSE(ParseDigiAddress(bad)) << bad;

    smeth::LocalSettings s;
    std::string error;
    ASSERT_TRUE(smeth::ReadLocalSettings(
        smeth::IniFile::Parse(
            "[Scale]\r\nProtocol=DIGI\r\nCodePage=cp852\r\nTries=2\r\nTimeoutMs=1500\r\n"
            "SpecialMessage=none\r\nIngredientNumber=0\r\n"),
        &s, &error))
        << error;
    EXPECT_EQ(s.protocol, smeth::Protocol::kDigi);
    EXPECT_EQ(s.codepage, "cp852");
    EXPECT_EQ(s.tries, 2);
    EXPECT_EQ(s.timeout_ms, 1500);
    EXPECT_FALSE(s.special_message);
    EXPECT_EQ(s.ingredient_number, 0);
    for (const char* bad :
         {"Protocol=serial", "Tries=0", "Tries=11", "TimeoutMs=x", "SpecialMessage=256"}) {
        smeth::LocalSettings t;
        EXPECT_FALSE(smeth::ReadLocalSettings(smeth::IniFile::Parse(std::string("[Scale]\n") + bad),
                                              &t, &error))
            << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace krv::test
