// One client connection of the simulated DIGI scale: frames in, one answer
// byte out for each (ACK, or what a fault asks for).
#pragma once

#include <csignal>
#include <functional>
#include <string>

#include "digi_table.h"
#include "options.h"
#include "os.h"
#include "session.h"

namespace krv::scalesim {

struct DigiSessionContext {
    const Options& options;
    DigiTable& table;
    std::function<void()> save;              // called after every change of the table
    const volatile std::sig_atomic_t& stop;  // set by SIGINT/SIGTERM
    Log log;
};

// The answer to one whole frame; changes the table when the frame is applied.
unsigned char ApplyDigiFrame(std::string_view frame, DigiSessionContext& ctx);

// Answers frames until the client closes the connection, a misbehaviour
// option ends it, or a stop is requested.
void ServeDigiClient(const tools::Socket& socket, DigiSessionContext& ctx);

}  // namespace krv::scalesim
