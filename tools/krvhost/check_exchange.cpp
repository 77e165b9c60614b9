// The exchange directory and what the export finds in it: room for the PLU
// file, the goods file, the scale program, and the scale's address.
#include <filesystem>

#include "check.h"
#include "files.h"
#include "host_os.h"
#include "local_settings.h"
#include "os.h"
#include "settings.h"
#include "text.h"

namespace krv::host {

namespace {

namespace fs = std::filesystem;

// One PLU record of the PLU file with its line end.
constexpr long long kPluLineBytes = 1000 + 2;

long long LibraryInt(const Host& host, const char* name) {
    long long n = 0;
    return ParseInt(Trim(host.Value(name)), &n) ? n : 0;
}

bool Ethernet(const Host& host) { return LibraryInt(host, "DigiSM_Zlacze") != 0; }

std::string Megabytes(long long bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return buf;
}

// What the goods file holds: its goods lines, how many of them the export
// would send, and the first line the library could not read.
struct GoodsSummary {
    int goods = 0;
    int sent = 0;
    int bad_line = 0;  // 0: every goods line readable
    std::string bad_why;
};

// Why the library would refuse a goods line, or "".
std::string LineFault(const std::vector<std::string>& f) {
    if (f.size() < 20) return "it has " + std::to_string(f.size()) + " fields, a goods line 20";
    long long n = 0;
    if (!ParseInt(f[1], &n)) return "the goods number '" + f[1] + "' is not a whole number";
    for (int i : {11, 13, 14, 15})
        if (f[i].empty() || (f[i][0] != 'T' && f[i][0] != 't' && f[i][0] != 'F' && f[i][0] != 'f'))
            return "field " + std::to_string(i + 1) + " '" + f[i] + "' is neither T nor F";
    const std::string& s = f[19];
    if (s != "DOD" && s != "AKT" && s != "CEN" && s != "USU")
        return "the status '" + s + "' is none of DOD, AKT, CEN, USU";
    return "";
}

// Whether the export's filter lets a readable goods line through.
bool WouldSend(const Host& host, const std::vector<std::string>& f) {
    const std::string& code = f[3];
    if (LibraryInt(host, "DigiSM_KodyKD") != 0)
        return (f[11][0] == 'T' || f[11][0] == 't') && code.size() == 13;
    if (code.size() > 10) return false;  // too long for a short code
    long long value = 0;                 // what is not a plain number counts as 0
    if (code.empty() || code[0] == '-' || !ParseInt(code, &value)) value = 0;
    return value >= LibraryInt(host, "DigiSM_KodPocz") &&
           value <= LibraryInt(host, "DigiSM_KodKonc");
}

GoodsSummary Summarise(const Host& host, const std::string& text) {
    GoodsSummary g;
    int number = 0;
    for (std::string line : Split(text, '\n')) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f = Split(line, ';');
        if (f.empty() || f[0] != "PLU") continue;
        ++g.goods;
        std::string why = LineFault(f);
        if (!why.empty()) {
            if (!g.bad_line) {
                g.bad_line = number;
                g.bad_why = why;
            }
            continue;
        }
        g.sent += WouldSend(host, f);
    }
    return g;
}

}  // namespace

void CheckExchange(const Host& host, CheckReport* report) {
    const std::string dir = ToUtf8(host.ExchangeDir());
    std::error_code ec;
    if (!fs::is_directory(fs::path(reinterpret_cast<const char8_t*>(dir.c_str())), ec)) {
        report->Fail("exchange directory", dir + " does not exist",
                     "create it, or krvhost set exchange_dir <the host's exchange directory>");
        return;
    }
    std::string why;
    if (!CanCreateFileIn(dir, &why)) {
        report->Fail("exchange directory", "cannot create a file in " + dir + " (" + why + ")",
                     "give this user the right to write there, or choose another exchange_dir");
        return;
    }
    report->Ok("exchange directory", dir + " present and writable");

    const std::string goods_path = dir + "kasa.exp";
    GoodsSummary goods;
    if (!tools::FileExists(goods_path)) {
        report->Fail("goods file", goods_path + " is missing",
                     "let the host write its goods export there (krvhost demo --keep shows one)");
    } else if (std::optional<std::string> text = tools::ReadWholeFile(goods_path); !text) {
        report->Fail("goods file", "cannot read " + goods_path,
                     "give this user the right to read it");
    } else {
        goods = Summarise(host, *text);
        if (goods.bad_line)
            report->Fail("goods file",
                         goods_path + " line " + std::to_string(goods.bad_line) + ": " +
                             goods.bad_why + "; the export would stop there",
                         "let the host write the goods file again, or mend that line");
        else if (goods.sent == 0)
            report->Warn(
                "goods file", std::to_string(goods.goods) + " goods, none of which would be sent",
                goods.goods ? "check the short-code range (DigiSM_KodPocz, DigiSM_KodKonc) "
                              "and DigiSM_KodyKD"
                            : "let the host export goods with changes");
        else
            report->Ok("goods file", std::to_string(goods.goods) + " goods, " +
                                         std::to_string(goods.sent) + " would be sent");
    }

    const long long need = static_cast<long long>(goods.sent) * kPluLineBytes;
    const long long free = FreeBytes(dir);
    if (free < 0)
        report->Warn("free space", "the system does not say how much room " + dir + " has",
                     "make sure " + Megabytes(need) + " are free for the PLU file");
    else if (free < need)
        report->Fail("free space",
                     Megabytes(free) + " free, the PLU file needs about " + Megabytes(need),
                     "free space on the disk of " + dir);
    else
        report->Ok("free space",
                   Megabytes(free) + " free, the PLU file needs about " + Megabytes(need));

    const std::string program = dir + "SM_eth.exe";
    if (!Ethernet(host))
        report->Ok("scale program",
                   "not needed: the export only writes the PLU file "
                   "(DigiSM_Zlacze 0)");
    else if (!tools::FileExists(program))
        report->Fail("scale program", program + " is missing",
                     "copy the scale's program SM_eth.exe (or the stand-in tarvisco-sm-eth) "
                     "there under that name");
    else if (!IsExecutableFile(program))
        report->Fail("scale program", program + " cannot be started by this user",
                     "make it executable (chmod +x)");
    else
        report->Ok("scale program", program + " present and executable");
}

void CheckScale(const Host& host, const CheckOptions& options, CheckReport* report) {
    if (!Ethernet(host)) return;
    const std::string address = Trim(host.Value("DigiSM_AdresIP"));
    // The program's own settings say in which protocol it talks to the scale,
    // and so how a missing port is found.
    smeth::LocalSettings local;
    std::string error;
    const std::string cfg = ToUtf8(host.ExchangeDir()) + smeth::kLocalSettingsFile;
    if (std::optional<std::string> text = tools::ReadWholeFile(cfg))
        smeth::ReadLocalSettings(smeth::IniFile::Parse(*text), &local, &error);
    const bool digi = local.protocol == smeth::Protocol::kDigi;
    std::optional<smeth::ScaleAddress> a =
        digi ? smeth::ParseDigiAddress(address) : smeth::ParseScaleAddress(address);
    if (!a) {
        report->Fail("DigiSM_AdresIP",
                     "'" + address + "' is not a scale address" +
                         (digi ? " (the DIGI protocol needs an IPv4 address or a port)" : ""),
                     "krvhost set DigiSM_AdresIP <host or IPv4 address>[:port]");
        return;
    }
    const std::string where = a->host + ":" + std::to_string(a->port);
    if (!options.connect) {
        report->Ok("DigiSM_AdresIP", "'" + address + "' is well formed (" + where +
                                         "); not tried (--connect tries it)");
        return;
    }
    tools::NetStartup();
    tools::ConnectFailure failure = tools::ConnectFailure::kNone;
    tools::Socket socket = tools::Connect(a->host, a->port, options.connect_timeout_ms, &failure);
    if (socket.Valid()) {
        report->Ok("DigiSM_AdresIP", where + " accepts connections");
        return;
    }
    const char* why = failure == tools::ConnectFailure::kRefused        ? "refused the connection"
                      : failure == tools::ConnectFailure::kTimeout      ? "did not answer in time"
                      : failure == tools::ConnectFailure::kHostNotFound ? "names no known host"
                                                                        : "cannot be reached";
    report->Fail("DigiSM_AdresIP", where + " " + why,
                 "switch the scale on and check its network address, or correct DigiSM_AdresIP");
}

}  // namespace krv::host
