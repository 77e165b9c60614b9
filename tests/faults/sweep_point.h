// One attempt of the fault sweep: a fresh folder with the goods file (and the
// SM_eth stand-in with its own simulated scale on 127.0.0.1), the sweep's host
// program run in it under the file shim, and what came out of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "faults/fi_control.h"

namespace krv::test {

namespace fs = std::filesystem;

// What the host saw of one export.
struct ExportReport {
    int result = -1;
    int errors = -1;  // error lines in the operation window
    int stored = -1;  // calls of the result's callback
    bool wynik = false;
    int alive = -1;  // SM_eth.exe processes still running after it
    std::vector<std::string> messages;
    std::string Window() const;
};

// The compared files of one moment, normalised: name -> bytes.
using Snapshot = std::map<std::string, std::string>;

// One counted call of the call log.
struct Call {
    int64_t n = 0;
    std::string program, op, file;
    bool IsWrite() const { return op == "write" || op == "sync" || op == "close-written"; }
    // Calls that a full disk can fail.
    bool NeedsRoom() const {
        return IsWrite() || op == "create" || op == "rename" || op == "mkdir";
    }
};

class Point {
  public:
    Point(const fs::path& root, bool ethernet);
    ~Point();
    Point(const Point&) = delete;
    Point& operator=(const Point&) = delete;

    // False (with the reason) when the folder or the scale cannot be set up.
    bool Prepare(std::string* why);
    // Runs the host program for `runs` exports; the first one under `control`
    // when it is armed. The exit code (128 + signal).
    int Host(int runs, const krv_fi_control* control, bool log);
    krv_fi_control Control() const;
    std::vector<ExportReport> Reports() const;
    Snapshot After(int run) const;  // the files after that export
    std::vector<Call> Calls() const;
    // SM_eth.exe processes of this folder that run now.
    int ProgramsRunning() const;
    fs::path Exchange() const { return exchange_; }
    // Keeps the folder for a look after the sweep.
    void Keep() { keep_ = true; }
    fs::path Root() const { return root_; }

  private:
    fs::path root_, exchange_, report_;
    bool ethernet_;
    bool keep_ = false;
    std::string address_ = "127.0.0.1:9";  // the file-only export sends nothing
    std::unique_ptr<tools::ChildProcess> scale_;
    int hostRuns_ = 0;
};

}  // namespace krv::test
