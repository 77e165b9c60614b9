// The end-to-end harness: real processes in temporary directories, all on
// 127.0.0.1. krvhost (which loads the real library), the real SM_eth stand-in
// or a fake program in its place, and the scale simulator. Every wait is
// bounded and everything started is stopped when the test ends.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"

namespace krv::test {

namespace fs = std::filesystem;

// Paths of the programs under test (from the build), empty when not built.
struct Programs {
    static std::string Krvhost();
    static std::string Library();
    static std::string SmEth();
    static std::string ScaleSim();
    static std::string DataDir();  // tests/data/e2e
    static std::string LangDir();  // lang/
};

std::string ReadFile(const fs::path& p);
void WriteFile(const fs::path& p, const std::string& bytes);
std::string Utf8(const std::string& cp1250);
std::string Cp1250(const std::string& utf8);

// A started process; its output goes to a file.
using Process = tools::ChildProcess;

struct Outcome {
    int exit_code = -1;
    std::string output;  // standard output and error, interleaved
    double seconds = 0;
    bool Has(const std::string& utf8) const { return output.find(utf8) != std::string::npos; }
    // The lines of the output, in order.
    std::vector<std::string> Lines() const;
};

// The simulated scale.
class ScaleSim {
  public:
    ~ScaleSim() { Stop(); }
    // False when it did not come up within 10 s.
    bool Start(const fs::path& dir, const std::vector<std::string>& extra = {});
    void Stop();
    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // The PLU numbers (8 digits) the scale holds, and their records.
    std::map<std::string, std::string> Held() const;

  private:
    Process process_;
    fs::path state_;
    int port_ = 0;
};

// One device: a temporary root with an exchange directory and a profile.
class Device {
  public:
    Device();
    ~Device();

    fs::path Root() const { return root_; }
    fs::path Exchange() const { return exchange_; }
    fs::path Profile() const { return root_ / "device.ini"; }
    fs::path File(const std::string& name) const { return exchange_ / name; }

    void WriteGoods(const std::string& cp1250);
    // The real stand-in under the name the library starts.
    void InstallStandIn();
    // A shell script in its place.
    void InstallScript(const std::string& body);
    // Any bytes in its place, with the given mode.
    void InstallFile(const std::string& bytes, unsigned mode);
    void RemoveProgram();

    // Rewrites the profile: exchange directory and the given parameters.
    void WriteProfile(const std::map<std::string, std::string>& params,
                      const std::string& exchange_dir = "");

    // Runs krvhost with the profile (--trace on) and waits at most timeout_ms.
    Outcome Krvhost(const std::vector<std::string>& args, int timeout_ms = 60000,
                    const std::map<std::string, std::string>& env = {});
    // Starts krvhost and returns at once (for Ctrl+C tests).
    void StartKrvhost(Process* p, const std::vector<std::string>& args, const fs::path& output,
                      const std::map<std::string, std::string>& env = {});

    // True while a process runs the exchange directory's SM_eth.exe.
    bool ProgramRunning() const;
    std::vector<pid_t> ProgramPids() const;

  private:
    fs::path root_;
    fs::path exchange_;
    int runs_ = 0;
};

// False (with the reason) when the library answers the export with the
// action base's refusal, i.e. it has no export yet. Asked once per run.
bool LibraryExports(std::string* why);

// The standard goods file of the tests (Windows-1250) and what it yields.
std::string Goods();
// PLUs the scale holds after exporting Goods() to an empty scale.
std::vector<std::string> GoodsOnScale();
// The lines wynik.exp must hold after a successful export of Goods().
std::vector<std::string> GoodsResult();
// Parameters of an Ethernet export of Goods() to the scale at address.
std::map<std::string, std::string> EthernetParams(const std::string& address);

}  // namespace krv::test
