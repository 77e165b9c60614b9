// One client connection of the simulated scale.
#pragma once

#include <csignal>
#include <functional>
#include <string>

#include "line_connection.h"
#include "options.h"
#include "plu_table.h"

namespace krv::scalesim {

using Log = std::function<void(const std::string&)>;

struct SessionContext {
    const Options& options;
    PluTable& table;
    std::function<void()> save;              // called after every change of the table
    const volatile std::sig_atomic_t& stop;  // set by SIGINT/SIGTERM
    Log log;
};

// Greets the client and answers its commands until it says QUIT, closes the
// connection, a misbehaviour option ends it, or a stop is requested.
void ServeClient(tools::LineConnection& conn, SessionContext& ctx);

}  // namespace krv::scalesim
