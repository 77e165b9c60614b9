#include "demo_goods.h"

#include "text.h"

namespace krv::host {

const std::vector<DemoGoods>& DemoGoodsList() {
    static const std::vector<DemoGoods> goods = {
        {101, "1", "Szynka wiejska wędzona", 3499, true, "DOD",
         "Skład: wieprzowina 92%, sól, przyprawy", 14},
        {102, "2", "Kiełbasa krakowska sucha", 4290, true, "AKT", "", 30},
        {103, "3", "Ser żółty Gouda", 2899, true, "CEN", "", 21},
        {104, "4", "Pomidory malinowe", 1199, true, "DOD", "Kraj pochodzenia: Polska", 0},
        {105, "5", "Jabłka Szampion", 499, true, "AKT", "", 0},
        {106, "12", "Bułka kajzerka", 69, false, "DOD", "", 2},
        {107, "13", "Pączek z różą", 249, false, "CEN", "Skład: mąka pszenna, konfitura z róży", 2},
        {108, "21", "Śledź w śmietanie", 1890, true, "DOD", "", 7},
        {109, "22", "Łosoś wędzony plastry 100 g", 1299, false, "AKT", "", 10},
        {110, "30", "Filet z kurczaka", 2199, true, "USU", "", 0},
        {111, "5901234123457", "Woda źródlana 1,5 l", 199, false, "DOD", "", 0},
    };
    return goods;
}

std::string DemoGoodsFile() {
    std::string out =
        "# Eksport towarów z zaplecza sklepu\r\n"
        "[STAWKI]\r\nVAT;23\r\nVAT;8\r\nVAT;5\r\nVAT;0\r\n"
        "[JEDNOSTKI]\r\nJM;1;0;szt.\r\nJM;2;3;kg\r\n"
        "[TOWARY]\r\n";
    for (const DemoGoods& g : DemoGoodsList()) {
        // PLU;plu;koldod;kod;nazwa;cena;cena_hurt;cena_noc;cena_dod;stawka;jedn;czy_wazony;precyzja;
        // wagowo_ilosciowy;opakowanie;cena_otwarta;kod_opakowania;plu_opakowania;nr_asort;status;
        // opis1;opis2;PKWiU;SWW;TerminW
        std::string price = std::to_string(g.price);
        out += "PLU;" + std::to_string(g.plu) + ";0;" + g.code + ";" + g.name + ";" + price + ";" +
               price + ";" + price + ";" + price + ";" + (g.weighed ? "5" : "8") + ";" +
               (g.weighed ? "2" : "1") + ";" + (g.weighed ? "T;3" : "F;0") + ";F;F;F;0;;1;" +
               g.status + ";" + g.description + ";;;;" + std::to_string(g.shelf_days) + "\r\n";
    }
    return ToCp1250(out);
}

}  // namespace krv::host
