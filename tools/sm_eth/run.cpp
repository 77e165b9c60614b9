#include "run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "digi_run.h"
#include "error_codes.h"
#include "error_file.h"
#include "files.h"
#include "ini_file.h"
#include "job.h"
#include "local_settings.h"
#include "os.h"
#include "record_check.h"
#include "settings.h"
#include "support/cp1250.h"
#include "text.h"
#include "transfer.h"

namespace krv::smeth {
namespace {

// The INI files hold Windows-1250 paths; the file layer takes UTF-8.
std::string NativePath(const std::string& cp1250) { return Cp1250ToUtf8(cp1250); }

int TimeoutMs(const CommandLine& cmd, const char* override_ms) {
    if (override_ms && AllDigits(override_ms) && std::string_view(override_ms).size() <= 7) {
        int ms = std::stoi(override_ms);
        if (ms > 0) return ms;
    }
    return cmd.timeout_s * 1000;
}

// Reads wagi.ini; false when the scale cannot be addressed.
bool ReadScaleSetup(int number, Job* job, ScaleAddress* address) {
    std::optional<std::string> text = tools::ReadWholeFile("wagi.ini");
    if (!text) {
        job->RunError(kSetupScale, ReadFailure(Cp("Brak pliku wagi.ini w katalogu programu"),
                                               "wagi.ini", errno));
        return false;
    }
    ScaleEntry scale = ReadScale(IniFile::Parse(*text), number);
    job->SetScale(scale.name, scale.address);
    std::string section = "[" + std::to_string(number) + "]";
    if (!scale.found) {
        job->RunError(kSetupScale, Cp("Brak sekcji ") + section + Cp(" w pliku wagi.ini"));
        return false;
    }
    if (scale.address.empty()) {
        job->RunError(kSetupScale,
                      Cp("Brak adresu wagi (Adres) w sekcji ") + section + Cp(" pliku wagi.ini"));
        return false;
    }
    std::optional<ScaleAddress> parsed = ParseScaleAddress(scale.address);
    if (!parsed) {
        job->RunError(kSetupAddress, Cp("Nieprawidłowy adres wagi: '") + scale.address + "'");
        return false;
    }
    *address = *parsed;
    return true;
}

// Checks the input file and sends what passes.
void Transfer(const std::string& input_path, const ScaleAddress& address, int timeout_ms,
              Job* job) {
    std::optional<std::string> data =
        input_path.empty() ? std::nullopt : tools::ReadWholeFile(NativePath(input_path));
    if (!data) {
        job->RunError(kInputMissing, ReadFailure(Cp("Brak pliku z danymi: ") + input_path,
                                                 Cp("z danymi ") + input_path, errno));
        return;
    }
    if (data->empty()) {
        job->RunError(kInputEmpty, Cp("Plik z danymi jest pusty: ") + input_path);
        return;
    }
    std::vector<OutgoingRecord> records;
    for (const InputLine& line : SplitInput(*data)) {
        if (std::optional<RecordFault> fault = CheckLine(line)) {
            job->LineError(line.number, PluNumberOf(line.text), std::to_string(fault->code),
                           fault->text);
            job->Log()("line " + std::to_string(line.number) + ": record refused, code " +
                       std::to_string(fault->code));
            continue;
        }
        records.push_back({line.number, PluNumberOf(line.text), line.text});
    }
    if (records.empty()) return;
    TransferResult result = SendRecords(address, records, timeout_ms, job->Log());
    for (const Rejection& r : result.rejected) job->LineError(r.line, r.plu, r.code, r.text);
    if (result.fault) job->RunError(result.fault->code, result.fault->text);
}

// "--dump FILE" (or "--dump=FILE") taken out of the arguments; false when
// FILE is missing.
bool TakeDump(std::vector<std::string>* args, std::string* dump) {
    for (size_t i = 0; i < args->size(); ++i) {
        const std::string& a = (*args)[i];
        if (a.rfind("--dump=", 0) == 0) {
            *dump = a.substr(7);
            args->erase(args->begin() + static_cast<std::ptrdiff_t>(i));
            return !dump->empty();
        }
        if (a == "--dump") {
            if (i + 1 >= args->size()) return false;
            *dump = (*args)[i + 1];
            args->erase(args->begin() + static_cast<std::ptrdiff_t>(i),
                        args->begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return !dump->empty();
        }
    }
    return true;
}

// sm_eth.cfg beside the program (in the working directory when the system
// cannot name the program's folder); no file gives the defaults.
bool ReadOwnSettings(LocalSettings* settings, std::string* error) {
    std::string dir = tools::ProgramDir();
    std::optional<std::string> text = tools::ReadWholeFile(dir + kLocalSettingsFile);
    if (!text) {
        // Only a file that is not there means the defaults: one that cannot
        // be read must not switch the protocol behind the user's back.
        if (errno == ENOENT || errno == 0) return true;
        *error = std::string("Nie można odczytać pliku ") + kLocalSettingsFile + ": " +
                 std::strerror(errno);
        return false;
    }
    return ReadLocalSettings(IniFile::Parse(*text), settings, error);
}

}  // namespace

int Run(const std::vector<std::string>& raw_args, const char* timeout_ms_override,
        std::FILE* log_out) {
    std::vector<std::string> args = raw_args;
    std::string dump;
    bool dump_ok = TakeDump(&args, &dump);
    CommandLine cmd;
    std::string bad_item;
    bool command_ok = ParseCommandLine(args, &cmd, &bad_item);
    if (!dump_ok) {
        command_ok = false;
        bad_item = "--dump";
    }
    Job job([&](const std::string& line) {
        if (!cmd.verbose || !log_out) return;
        std::fprintf(log_out, "sm_eth: %s\n", line.c_str());
        std::fflush(log_out);
    });

    std::optional<std::string> ini_text = tools::ReadWholeFile("sm_eth.ini");
    if (!ini_text) {
        job.Log()("sm_eth.ini not found in the working directory");
        return kExitBadSetup;
    }
    ProgramFiles files = ReadProgramFiles(IniFile::Parse(*ini_text));
    std::string error_path = NativePath(files.errors);
    std::string semaphore_path = NativePath(files.semaphore);
    // Whatever an earlier run left must not be taken for this run's result.
    if (!semaphore_path.empty()) tools::RemoveFile(semaphore_path);
    if (!error_path.empty()) tools::RemoveFile(error_path);

    LocalSettings local;
    std::string local_error;
    bool local_ok = ReadOwnSettings(&local, &local_error);
    bool digi = local.protocol == Protocol::kDigi || !dump.empty();

    ScaleAddress address;
    bool setup_ok = digi || ReadScaleSetup(cmd.scale, &job, &address);
    if (!local_ok) {
        job.RunError(kSetupLocal, Cp(local_error));
        setup_ok = false;
    }
    if (!command_ok) {
        job.RunError(kSetupCommandLine, Cp("Nieprawidłowy parametr wywołania: ") + bad_item);
        setup_ok = false;
    }
    if (!IsSupportedCodepage(files.codepage)) {
        job.RunError(kSetupCodepage, Cp("Nieobsługiwana strona kodowa danych: ") + files.codepage);
        setup_ok = false;
    }
    if (error_path.empty() || semaphore_path.empty()) {
        job.Log()("sm_eth.ini names no error file (DaneWyj) or no semaphore (SemaforWyj)");
        setup_ok = false;
    }
    int timeout_ms = local.timeout_ms > 0 ? local.timeout_ms : TimeoutMs(cmd, timeout_ms_override);
    if (setup_ok && digi)
        TransferDigi(NativePath(files.input), local, timeout_ms, NativePath(dump), &job);
    else if (setup_ok)
        Transfer(files.input, address, timeout_ms, &job);

    // The error file is complete and in place before the semaphore exists:
    // the semaphore is the signal that the error file may be read. Both
    // appear whole, under their own names only once complete.
    bool io_ok = true;
    if (!error_path.empty() && !tools::WriteFileAtomically(error_path, job.ErrorFileBytes())) {
        job.Log()("cannot write the error file");
        io_ok = false;
    }
    if (!semaphore_path.empty()) {
        std::string summary = "errors=" + std::to_string(job.ErrorCount()) + "\r\n";
        if (!tools::WriteFileAtomically(semaphore_path, summary)) {
            job.Log()("cannot create the semaphore");
            io_ok = false;
        }
    }
    job.Log()("done, " + std::to_string(job.ErrorCount()) + " error line(s)");
    if (!setup_ok) return kExitBadSetup;
    return io_ok ? kExitDone : kExitIoFailed;
}

}  // namespace krv::smeth
