// A whole goods file read into the export buffer, sorted and searched, and
// its result written.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "exportdata/expbuf.h"
#include "fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static krv::fuzz::FuzzHost host;
    host.Reset();
    host.Write("kasa.exp", std::string_view(reinterpret_cast<const char*>(data), size));
    krv::KSExpBuf buf(nullptr);
    try {
        buf.ReadFromFile(host.Dir() + "kasa.exp", true, 0);
    } catch (const std::exception&) {
        // A bad line ends the reading; the rows before it stay.
    }
    try {
        buf.PrzeliczTowary();
        buf.CreateIndex();
        if (buf.GetGoodsCount() > 0) {
            krv::KSTowRec rec;
            buf.CzytajRec(0, &rec);
            buf.FindRec(rec.kod, buf.GetGoodsCount());
        }
        buf.ZapiszWynikEksp(host.Dir() + "wynik.exp");
    } catch (const std::exception&) {
    }
    return 0;
}
