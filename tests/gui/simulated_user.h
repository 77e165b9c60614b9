// The simulated user of the window test: runs beside the dialog, waits for
// it, takes its pictures, changes the second row's choice to the next item
// and presses OK. One implementation per window system.
#pragma once

#include <string>

namespace krv::test {

// False (with the reason) when no window can be shown here.
bool DisplayAvailable(std::string& why);

struct UserScript {
    std::string caption;    // the dialog's window caption (Windows-1250)
    std::string artifacts;  // folder of the pictures
    std::string shotName;   // file name of the pictures without extension
};

// Runs the user's steps on the calling thread (the test starts a thread for
// it while the dialog runs on the main thread). Returns "" or the failure.
std::string RunUser(const UserScript& script);

}  // namespace krv::test
