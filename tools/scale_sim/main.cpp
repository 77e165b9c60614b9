// A DIGI SM scale on loopback for the sm_eth program: holds the PLUs it is
// sent, and misbehaves on request so that every failure path of an export can
// be tried for real. See README.md for the protocol and the options.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "codepage.h"
#include "digi_session.h"
#include "digi_table.h"
#include "files.h"
#include "line_connection.h"
#include "options.h"
#include "os.h"
#include "plu_table.h"
#include "session.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv) {
    using namespace krv;
    scalesim::Options options;
    std::string error;
    if (!scalesim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options,
                                &error)) {
        std::fprintf(stderr, "scale_sim: %s\n%s", error.c_str(), scalesim::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(scalesim::Usage().c_str(), stdout);
        return 0;
    }
    scalesim::Log log = [&](const std::string& line) {
        if (!options.quiet) std::fprintf(stderr, "scale_sim: %s\n", line.c_str());
    };

    std::optional<tools::CodePage> page;
    if (options.digi || options.list) {
        page = tools::CodePage::Named(options.codepage);
        if (!page) {
            std::fprintf(stderr, "scale_sim: unknown code page %s (known: %s)\n",
                         options.codepage.c_str(), tools::CodePage::KnownNames());
            return 2;
        }
    }
    scalesim::DigiTable digi_table;
    if (options.digi && !options.state_file.empty()) {
        if (std::optional<std::string> text = tools::ReadWholeFile(options.state_file)) {
            std::optional<scalesim::DigiTable> loaded = scalesim::DigiTable::Parse(*text, &error);
            if (!loaded) {
                std::fprintf(stderr, "scale_sim: %s: %s\n", options.state_file.c_str(),
                             error.c_str());
                return 2;
            }
            digi_table = std::move(*loaded);
        }
    }
    scalesim::PluTable table;
    if (!options.digi && !options.state_file.empty()) {
        if (std::optional<std::string> text = tools::ReadWholeFile(options.state_file)) {
            std::optional<scalesim::PluTable> loaded = scalesim::PluTable::Parse(*text, &error);
            if (!loaded) {
                std::fprintf(stderr, "scale_sim: %s: %s\n", options.state_file.c_str(),
                             error.c_str());
                return 2;
            }
            table = std::move(*loaded);
        }
    }
    if (options.list) {
        if (options.digi)
            std::fputs(digi_table.Listing(*page).c_str(), stdout);
        else
            std::printf("%zu PLU%s\n", table.Size(), table.Size() == 1 ? "" : "s");
        return 0;
    }
    // The table is only turned into text for a file that was asked for: it
    // costs time in proportion to the table, after every change.
    auto write = [](const std::string& path, const auto& bytes) {
        if (!path.empty() && !tools::WriteFileAtomically(path, bytes()))
            std::fprintf(stderr, "scale_sim: cannot write %s\n", path.c_str());
    };
    auto save = [&] {
        if (!options.digi) {
            write(options.state_file, [&] { return table.Serialize(); });
            return;
        }
        write(options.state_file, [&] { return digi_table.Serialize(); });
        write(options.json_file, [&] { return digi_table.Json(*page); });
    };
    save();

    // Handlers before the port file: whoever sees the port may stop the scale.
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    tools::NetStartup();
    tools::Socket listener = tools::Listen("127.0.0.1", options.port, &error);
    if (!listener.Valid()) {
        std::fprintf(stderr, "scale_sim: cannot listen on 127.0.0.1:%d: %s\n", options.port,
                     error.c_str());
        return 1;
    }
    int port = tools::LocalPort(listener);
    if (!options.port_file.empty() &&
        !tools::WriteFileAtomically(options.port_file, std::to_string(port) + "\n")) {
        std::fprintf(stderr, "scale_sim: cannot write %s\n", options.port_file.c_str());
        return 1;
    }
    log("listening on 127.0.0.1:" + std::to_string(port) + ", holding " +
        std::to_string(options.digi ? digi_table.Size() : table.Size()) + " PLUs");

    scalesim::SessionContext ctx{options, table, save, g_stop, log};
    scalesim::DigiSessionContext digi_ctx{options, digi_table, save, g_stop, log};
    int connections = 0;
    while (!g_stop) {
        tools::Socket client;
        tools::IoResult r = tools::Accept(listener, 100, &client);
        if (r == tools::IoResult::kTimeout) continue;
        if (r != tools::IoResult::kOk) {
            log("accept failed");
            continue;
        }
        ++connections;
        if (options.refuse) {
            log("connection refused");
        } else if (options.digi) {
            log("client connected (DIGI)");
            scalesim::ServeDigiClient(client, digi_ctx);
            log("client gone, holding " + std::to_string(digi_table.Size()) + " PLUs");
        } else {
            log("client connected");
            tools::LineConnection conn(std::move(client));
            scalesim::ServeClient(conn, ctx);
            log("client gone, holding " + std::to_string(table.Size()) + " PLUs");
        }
        if (options.max_connections > 0 && connections >= options.max_connections) break;
    }
    log(g_stop ? "stopped" : "connection limit reached");
    return 0;
}
