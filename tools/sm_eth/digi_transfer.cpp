#include "digi_transfer.h"

#include <algorithm>

#include "digi_frame.h"
#include "error_codes.h"
#include "os.h"
#include "text.h"

namespace krv::smeth {
namespace {

using tools::IoResult;

std::string Target(const ScaleAddress& a) {
    bool v6 = a.host.find(':') != std::string::npos;
    return (v6 ? "[" + a.host + "]" : a.host) + ":" + std::to_string(a.port);
}

std::string Ms(int ms) { return std::to_string(ms) + " ms"; }

std::string NotSent(size_t count) {
    if (count == 0) return "";
    return Cp("; nie wysłano kolejnych rekordów: ") + std::to_string(count);
}

// Throws away whatever the scale sent beyond the first byte of an answer (or
// late, after a frame was sent again), so that it is not taken for the next
// answer.
void Drain(const tools::Socket& s) {
    std::string junk;
    while (tools::Receive(s, 0, &junk) == IoResult::kOk && junk.size() < 65536) {
    }
}

// A frame sent more than once owes the answers of its extra copies. They are
// awaited before the next frame goes out, so that a late answer is never taken
// for the next frame's; a scale that needed more than one time-out for the
// first copy gets as long for each other. Answers are one byte.
void CollectOwedAnswers(const tools::Socket& s, int* owed, int timeout_ms) {
    while (*owed > 0) {
        std::string answers;
        if (tools::Receive(s, timeout_ms, &answers) != IoResult::kOk) break;
        *owed -= std::min(*owed, static_cast<int>(answers.size()));
    }
    *owed = 0;
    Drain(s);
}

std::string ConnectText(tools::ConnectFailure why, int system_error, int timeout_ms) {
    switch (why) {
        case tools::ConnectFailure::kRefused: return Cp("połączenie odrzucone");
        case tools::ConnectFailure::kTimeout:
            return Cp("brak odpowiedzi w ciągu ") + Ms(timeout_ms);
        case tools::ConnectFailure::kHostNotFound: return Cp("nieznany adres");
        default: return Cp("błąd sieci (kod ") + std::to_string(system_error) + ")";
    }
}

}  // namespace

DigiResult SendDigiFrames(const ScaleAddress& address, const std::vector<DigiOutgoing>& frames,
                          int timeout_ms, int tries, const ProgressLog& log) {
    DigiResult result;
    const std::string target = Target(address);
    tools::NetStartup();
    tools::ConnectFailure why = tools::ConnectFailure::kNone;
    int system_error = 0;
    tools::Socket socket =
        tools::Connect(address.host, address.port, timeout_ms, &why, &system_error);
    if (!socket.Valid()) {
        int code = why == tools::ConnectFailure::kTimeout ? kDigiTimeout : kDigiUnreachable;
        result.faults.push_back({0, "", code,
                                 Cp("Nie można połączyć się z wagą ") + target + ": " +
                                     ConnectText(why, system_error, timeout_ms) +
                                     NotSent(frames.size())});
        log("cannot reach the scale at " + target);
        return result;
    }
    log("connected to " + target + " (DIGI), sending " + std::to_string(frames.size()) + " frames");

    int owed = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const DigiOutgoing& f = frames[i];
        CollectOwedAnswers(socket, &owed, timeout_ms * tries);
        std::string answer;
        IoResult r = IoResult::kTimeout;
        for (int attempt = 1; attempt <= tries && r == IoResult::kTimeout; ++attempt) {
            if (attempt > 1) ++owed;  // the answer to the copy before may still come
            r = tools::SendAll(socket, f.frame, timeout_ms);
            if (r == IoResult::kOk) r = tools::Receive(socket, timeout_ms, &answer);
            if (r == IoResult::kTimeout)
                log("line " + std::to_string(f.line) + ": no answer, try " +
                    std::to_string(attempt));
        }
        if (r != IoResult::kOk) {
            size_t rest = frames.size() - i - 1;
            if (r == IoResult::kTimeout) {
                result.faults.push_back({f.line, f.plu, kDigiTimeout,
                                         Cp("Waga ") + target + Cp(" nie odpowiedziała w ciągu ") +
                                             Ms(timeout_ms) + " (" + Cp("próby: ") +
                                             std::to_string(tries) + ")" + NotSent(rest)});
            } else {
                result.faults.push_back(
                    {f.line, f.plu, kDigiDropped,
                     Cp("Waga ") + target + Cp(" przerwała połączenie") + NotSent(rest)});
            }
            log("transfer broken off at line " + std::to_string(f.line));
            return result;
        }
        unsigned first = static_cast<unsigned char>(answer[0]);
        owed -= std::min(owed, static_cast<int>(answer.size()) - 1);
        if (owed == 0) Drain(socket);
        if (first == tools::digi::kAck) {
            ++result.accepted;
            log("line " + std::to_string(f.line) + " PLU " + f.plu + ": ok");
            continue;
        }
        result.faults.push_back({f.line, f.plu, static_cast<int>(first),
                                 Cp("Waga odrzuciła rekord: odpowiedź ") +
                                     tools::digi::Hex(answer.substr(0, 1)) +
                                     (first == tools::digi::kNak ? " (NAK)" : "")});
        log("line " + std::to_string(f.line) + " PLU " + f.plu + ": refused, answer " +
            std::to_string(first));
    }
    return result;
}

}  // namespace krv::smeth
