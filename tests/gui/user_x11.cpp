// The simulated user on X11: xdotool moves the real pointer and types, and
// ImageMagick's import takes the pictures.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "simulated_user.h"

namespace krv::test {

namespace {

// Runs a command line and returns its exit status; the output goes to `out`.
int Run(const std::string& command, std::string* out = nullptr) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[256];
    std::string text;
    while (std::fgets(buf, sizeof buf, p)) text += buf;
    int status = ::pclose(p);
    if (out) *out = text;
    return status;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

bool DisplayAvailable(std::string& why) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        why = "DISPLAY is not set (scripts/test.sh starts Xvfb for the whole run)";
        return false;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        why = std::string("cannot open display ") + display;
        return false;
    }
    XCloseDisplay(d);
    for (const char* tool : {"xdotool", "import"}) {
        if (Run(std::string("command -v ") + tool) != 0) {
            why = std::string(tool) + " is not installed";
            return false;
        }
    }
    return true;
}

std::string RunUser(const UserScript& s) {
    std::string out;
    if (Run("timeout 20 xdotool search --sync --onlyvisible --name '^" + s.caption + "$'", &out) !=
        0)
        return "the dialog did not appear: " + out;
    std::string wid = out.substr(0, out.find('\n'));
    Pause(500);  // let it draw
    std::string base = s.artifacts + "/" + s.shotName;
    if (Run("import -window " + wid + " '" + base + ".png'", &out) != 0)
        return "no picture: " + out;

    // The second row's list sits at 32,35 (105 x 23): open it, go one item
    // down and take it.
    if (Run("xdotool mousemove --window " + wid + " 84 46 click 1", &out) != 0)
        return "click on the list failed: " + out;
    Pause(500);
    if (Run("xdotool key Down", &out) != 0) return "key Down failed: " + out;
    Pause(200);
    if (Run("xdotool key Return", &out) != 0) return "key Return failed: " + out;
    Pause(500);
    if (Run("import -window " + wid + " '" + base + "_changed.png'", &out) != 0)
        return "no second picture: " + out;

    // OK sits at 160,152 (81 x 33).
    if (Run("xdotool mousemove --window " + wid + " 200 168 click 1", &out) != 0)
        return "click on OK failed: " + out;
    return {};
}

}  // namespace krv::test
