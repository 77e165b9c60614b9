#include "options.h"

#include <optional>

#include "support/cp1250.h"

namespace krv::scalesim {
namespace {

std::optional<int> Number(const std::string& s, int min, int max) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    int v = std::stoi(s);
    if (v < min || v > max) return std::nullopt;
    return v;
}

// "PLU:CODE:TEXT"; the text may itself hold colons and may be empty.
std::optional<RejectRule> ParseReject(const std::string& s) {
    size_t first = s.find(':');
    if (first == std::string::npos) return std::nullopt;
    size_t second = s.find(':', first + 1);
    std::optional<int> plu = Number(s.substr(0, first), 0, 99999999);
    std::string code =
        s.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (!plu || code.empty() || code.find_first_of(" \t\r\n") != std::string::npos)
        return std::nullopt;
    RejectRule rule;
    rule.plu = *plu;
    rule.code = code;
    if (second != std::string::npos) rule.text = Utf8ToCp1250(s.substr(second + 1));
    return rule;
}

// "21", "0x15": an answer byte.
std::optional<int> AnswerByte(const std::string& s) {
    if (s.size() > 2 && (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0)) {
        if (s.size() > 4 || s.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
            return std::nullopt;
        return std::stoi(s.substr(2), nullptr, 16);
    }
    return Number(s, 0, 255);
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options* o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inline_value;
        if (size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inline_value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inline_value) return inline_value;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        auto number = [&](int min, int max, int* out) {
            std::optional<std::string> v = value();
            std::optional<int> n = v ? Number(*v, min, max) : std::nullopt;
            if (!n)
                *error = name + " needs a number from " + std::to_string(min) + " to " +
                         std::to_string(max);
            else
                *out = *n;
            return n.has_value();
        };
        auto text = [&](std::string* out) {
            std::optional<std::string> v = value();
            if (!v || v->empty())
                *error = name + " needs a value";
            else
                *out = *v;
            return v && !v->empty();
        };
        auto flag = [&](bool* out) {
            if (inline_value) {
                *error = name + " takes no value";
                return false;
            }
            *out = true;
            return true;
        };

        bool ok;
        if (name == "--port")
            ok = number(0, 65535, &o->port);
        else if (name == "--port-file")
            ok = text(&o->port_file);
        else if (name == "--state")
            ok = text(&o->state_file);
        else if (name == "--refuse")
            ok = flag(&o->refuse);
        else if (name == "--mute")
            ok = flag(&o->mute);
        else if (name == "--quiet")
            ok = flag(&o->quiet);
        else if (name == "--digi")
            ok = flag(&o->digi);
        else if (name == "--list")
            ok = flag(&o->list);
        else if (name == "--codepage")
            ok = text(&o->codepage);
        else if (name == "--json")
            ok = text(&o->json_file);
        else if (name == "--help" || name == "-h")
            ok = flag(&o->help);
        else if (name == "--drop-after")
            ok = number(1, 1000000000, &o->drop_after);
        else if (name == "--delay-ms")
            ok = number(0, 3600000, &o->delay_ms);
        else if (name == "--max-connections")
            ok = number(1, 1000000000, &o->max_connections);
        else if (name == "--once") {
            bool once = false;
            ok = flag(&once);
            if (ok) o->max_connections = 1;
        } else if (name == "--reject") {
            std::string rule_text;
            ok = text(&rule_text);
            if (ok) {
                std::optional<RejectRule> rule = ParseReject(rule_text);
                if (rule)
                    o->rejects.push_back(*rule);
                else {
                    *error = "--reject needs PLU:CODE:TEXT (code without blanks), got '" +
                             rule_text + "'";
                    ok = false;
                }
            }
        } else {
            *error = "unknown option " + args[i];
            ok = false;
        }
        if (!ok) return false;
    }
    if (o->digi) {
        for (RejectRule& rule : o->rejects) {
            std::optional<int> byte = AnswerByte(rule.code);
            if (!byte) {
                *error =
                    "--reject with --digi needs an answer byte (0-255 or 0xNN) as its code, got '" +
                    rule.code + "'";
                return false;
            }
            rule.answer_byte = *byte;
        }
    }
    if (o->list && o->state_file.empty()) {
        *error = "--list needs --state FILE";
        return false;
    }
    return true;
}

std::string Usage() {
    return "usage: scale_sim [options]\n"
           "A DIGI SM scale on 127.0.0.1 for the sm_eth program.\n"
           "  --port N              listen on port N (0, the default: any free port)\n"
           "  --port-file FILE      write the port into FILE once listening\n"
           "  --state FILE          keep the PLU table in FILE (loaded at start, rewritten after "
           "each change)\n"
           "  --reject PLU:CODE:TEXT  answer that PLU with an error (repeatable)\n"
           "  --refuse              accept connections and close them at once\n"
           "  --drop-after N        close a connection after answering N records\n"
           "  --delay-ms N          wait N ms before each answer\n"
           "  --mute                read records but never answer them\n"
           "  --max-connections N   exit after N connections\n"
           "  --once                the same as --max-connections 1\n"
           "  --quiet               no log on standard error\n"
           "  --digi                speak the DIGI scale's TCP protocol (frames, ACK answers)\n"
           "                        --reject PLU:BYTE answers that byte (e.g. 0x15) for the PLU\n"
           "  --codepage NAME       DIGI: the code page of the texts (windows-1250, cp852, "
           "iso-8859-2, cp866)\n"
           "  --json FILE           DIGI: the decoded PLU table as JSON, rewritten after every "
           "change\n"
           "  --list                print the PLU table of --state FILE and exit\n";
}

}  // namespace krv::scalesim
