#include "transfer.h"

#include "error_codes.h"
#include "line_connection.h"
#include "os.h"
#include "text.h"
#include "wire.h"

namespace krv::smeth {
namespace {

using tools::ConnectFailure;
using tools::IoResult;

std::string Seconds(int ms) {
    std::string s = std::to_string(ms / 1000);
    if (ms % 1000) {
        std::string frac = std::to_string(1000 + ms % 1000).substr(1);
        while (frac.back() == '0') frac.pop_back();
        s += "." + frac;
    }
    return s + " s";
}

std::string ConnectReason(ConnectFailure why, int system_error, int timeout_ms) {
    switch (why) {
        case ConnectFailure::kRefused: return Cp("połączenie odrzucone");
        case ConnectFailure::kTimeout: return Cp("brak odpowiedzi w ciągu ") + Seconds(timeout_ms);
        case ConnectFailure::kHostNotFound: return Cp("nieznany adres");
        default: return Cp("błąd sieci (kod ") + std::to_string(system_error) + ")";
    }
}

std::string Clip(const std::string& s) { return s.size() > 60 ? s.substr(0, 60) + "..." : s; }

// Where the transfer stood when it broke off.
std::string Position(const OutgoingRecord& r, int answered, size_t total) {
    return Cp(" (linia ") + std::to_string(r.line) + ", PLU " + r.plu +
           Cp("); potwierdzone rekordy: ") + std::to_string(answered) + " z " +
           std::to_string(total);
}

TransferFault WaitFault(IoResult r, int timeout_ms, const std::string& where) {
    if (r == IoResult::kTimeout)
        return {kScaleTimeout, Cp("Waga nie odpowiedziała w ciągu ") + Seconds(timeout_ms) + where};
    return {kScaleDropped, Cp("Waga przerwała połączenie") + where};
}

}  // namespace

TransferResult SendRecords(const ScaleAddress& address, const std::vector<OutgoingRecord>& records,
                           int timeout_ms, const ProgressLog& log) {
    TransferResult result;
    std::string target = address.host + ":" + std::to_string(address.port);
    auto unreachable = [&](const std::string& reason) {
        result.fault = TransferFault{kScaleUnreachable,
                                     Cp("Nie można połączyć się z wagą ") + target + ": " + reason};
        log("cannot reach the scale at " + target);
        return result;
    };

    tools::NetStartup();
    ConnectFailure why = ConnectFailure::kNone;
    int system_error = 0;
    tools::Socket socket =
        tools::Connect(address.host, address.port, timeout_ms, &why, &system_error);
    if (!socket.Valid()) return unreachable(ConnectReason(why, system_error, timeout_ms));
    tools::LineConnection conn(std::move(socket));

    std::string line;
    IoResult r = conn.ReadLine(timeout_ms, &line);
    if (r == IoResult::kClosed || r == IoResult::kError)
        return unreachable(Cp("waga zamknęła połączenie bez powitania"));
    if (r == IoResult::kTimeout) {
        result.fault =
            TransferFault{kScaleTimeout, Cp("Waga ") + target + Cp(" nie przywitała się w ciągu ") +
                                             Seconds(timeout_ms)};
        return result;
    }
    if (line.substr(0, tools::wire::kGreeting.size()) != tools::wire::kGreeting) {
        result.fault =
            TransferFault{kScaleProtocol, Cp("Nieprawidłowe powitanie wagi: '") + Clip(line) + "'"};
        return result;
    }
    log("connected to " + target + ", sending " + std::to_string(records.size()) + " records");

    for (const OutgoingRecord& rec : records) {
        std::string where = Position(rec, result.answered, records.size());
        r = conn.Write(tools::wire::PluCommand(rec.record), timeout_ms);
        if (r == IoResult::kOk) r = conn.ReadLine(timeout_ms, &line);
        if (r != IoResult::kOk) {
            result.fault = WaitFault(r, timeout_ms, where);
            log("transfer broken off at line " + std::to_string(rec.line));
            return result;
        }
        std::optional<tools::wire::Answer> answer = tools::wire::ParseAnswer(line);
        if (!answer || answer->plu != rec.plu) {
            result.fault = TransferFault{
                kScaleProtocol, Cp("Nieprawidłowa odpowiedź wagi '") + Clip(line) + "'" + where};
            return result;
        }
        ++result.answered;
        if (answer->ok) {
            log("line " + std::to_string(rec.line) + " PLU " + rec.plu + ": ok");
        } else {
            result.rejected.push_back({rec.line, rec.plu, answer->code, answer->text});
            log("line " + std::to_string(rec.line) + " PLU " + rec.plu + ": rejected, code " +
                answer->code);
        }
    }
    // Every record has its answer; a scale that does not say goodbye properly
    // changes nothing about them.
    if (conn.Write(std::string(tools::wire::kQuitCommand) + "\n", timeout_ms) == IoResult::kOk)
        conn.ReadLine(timeout_ms, &line);
    return result;
}

}  // namespace krv::smeth
