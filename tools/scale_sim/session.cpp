#include "session.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "wire.h"

namespace krv::scalesim {
namespace {

constexpr int kSliceMs = 100;  // how often a waiting scale looks at the stop flag
constexpr int kWriteTimeoutMs = 5000;

// The scale's own refusals of malformed records.
constexpr const char* kBadLength = "90";
constexpr const char* kBadOperation = "91";
constexpr const char* kBadPlu = "92";
constexpr const char* kUnknownCommand = "99";
constexpr const char* kNoPlu = "00000000";

bool IsDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Sleeps in slices; false when a stop was requested meanwhile.
bool Pause(int ms, const volatile std::sig_atomic_t& stop) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20)));
    return !stop;
}

// The answer to one record; changes the table when the record is accepted.
std::string Apply(std::string_view record, SessionContext& ctx) {
    if (record.size() != 1000)
        return tools::wire::ErrAnswer(kNoPlu, kBadLength, "record is not 1000 characters long");
    std::string plu(record.substr(1, 8));
    if (!IsDigits(plu))
        return tools::wire::ErrAnswer(kNoPlu, kBadPlu, "PLU number is not 8 digits");
    char op = record[0];
    if (op != '0' && op != '1')
        return tools::wire::ErrAnswer(plu, kBadOperation, "operation is neither 0 nor 1");
    for (const RejectRule& rule : ctx.options.rejects)
        if (rule.plu == std::stoi(plu)) {
            ctx.log("PLU " + plu + " rejected with code " + rule.code);
            return tools::wire::ErrAnswer(plu, rule.code, rule.text);
        }
    if (op == '0') {
        ctx.table.Put(plu, std::string(record));
        ctx.log("PLU " + plu + " stored");
    } else {
        ctx.log(ctx.table.Erase(plu) ? "PLU " + plu + " deleted"
                                     : "PLU " + plu + " deleted (was not held)");
    }
    ctx.save();
    return tools::wire::OkAnswer(plu);
}

}  // namespace

void ServeClient(tools::LineConnection& conn, SessionContext& ctx) {
    using tools::IoResult;
    if (conn.Write(std::string(tools::wire::kGreeting) + "\n", kWriteTimeoutMs) != IoResult::kOk)
        return;
    int answered = 0;
    std::string line;
    while (!ctx.stop) {
        IoResult r = conn.ReadLine(kSliceMs, &line);
        if (r == IoResult::kTimeout) continue;
        if (r == IoResult::kError) {
            conn.Write(tools::wire::ErrAnswer(kNoPlu, kUnknownCommand,
                                              "line too long or connection broken"),
                       kWriteTimeoutMs);
            return;
        }
        if (r != IoResult::kOk) return;
        if (line == tools::wire::kQuitCommand) {
            conn.Write(std::string(tools::wire::kByeAnswer) + " " +
                           std::to_string(ctx.table.Size()) + "\n",
                       kWriteTimeoutMs);
            return;
        }
        std::string answer;
        bool record = line.rfind(tools::wire::kPluCommand, 0) == 0;
        if (record) {
            if (ctx.options.mute) continue;
            if (ctx.options.delay_ms > 0 && !Pause(ctx.options.delay_ms, ctx.stop)) return;
            answer = Apply(std::string_view(line).substr(tools::wire::kPluCommand.size()), ctx);
        } else {
            answer = tools::wire::ErrAnswer(kNoPlu, kUnknownCommand, "unknown command");
        }
        if (conn.Write(answer, kWriteTimeoutMs) != IoResult::kOk) return;
        if (record && ctx.options.drop_after > 0 && ++answered >= ctx.options.drop_after) {
            ctx.log("dropping the connection after " + std::to_string(answered) + " answers");
            return;
        }
    }
}

}  // namespace krv::scalesim
