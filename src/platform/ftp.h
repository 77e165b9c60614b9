// An FTP client connection, behind one narrow interface per operating system
// (libcurl on POSIX, WinINet on Windows). Names of remote files and folders
// are Windows-1250 text like every string of the library; they travel as
// UTF-8. Local paths are Windows-1250 as for the file services.
//
// Every operation answers with an FtpResult; the caller turns a failure into
// its exception. No text of this interface ever holds the password.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace krv::platform {

struct FtpSettings {
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    int32_t timeoutMs = 30000;  // connecting and waiting for any answer
    bool passive = true;
    // A listing that goes past either bound fails (a server could stream one
    // without end): its bytes as received, and its lines.
    int64_t maxListingBytes = int64_t{64} << 20;
    int64_t maxListingEntries = 1000000;
};

struct FtpResult {
    bool ok = true;
    // On failure: the server's own reply line when there is one, otherwise
    // the client's reason (refused, timed out ...).
    std::string error;

    static FtpResult Ok() { return {}; }
    static FtpResult Fail(std::string reason) { return {false, std::move(reason)}; }
};

// Status texts as the client reports them. Detailed texts (commands and
// replies) are marked so that the caller can filter them.
using FtpStatusFn = std::function<void(const std::string& text, bool detail)>;

// The raw lines of a listing and how they were asked for.
struct FtpListing {
    std::vector<std::string> lines;
    enum class Style {
        kMachine,  // MLSD: "fact=value;...; name"
        kList,     // LIST: Unix "ls -l" or DOS/IIS lines
    } style = Style::kList;
};

// One logged-in connection; closed when destroyed. A name or path holding CR,
// LF or NUL is refused before anything is sent.
class FtpConnection {
  public:
    virtual ~FtpConnection() = default;
    // The server's current folder changes for every later call.
    virtual FtpResult ChangeDir(const std::string& dir) = 0;
    virtual FtpResult MakeDir(const std::string& dir) = 0;
    virtual FtpResult RemoveDir(const std::string& dir) = 0;
    virtual FtpResult DeleteRemoteFile(const std::string& file) = 0;
    // Sends the whole local file, replacing the remote one.
    virtual FtpResult Upload(const std::string& localPath, const std::string& remoteFile) = 0;
    // Fetches the remote file into the local path, replacing a local file
    // only once the whole file has arrived.
    virtual FtpResult Download(const std::string& remoteFile, const std::string& localPath) = 0;
    // The detailed listing of the current folder: MLSD where the server
    // offers it, LIST otherwise; nothing (and a failure) past the bounds of
    // the settings.
    virtual FtpResult List(FtpListing& listing) = 0;
};

// Connects and logs in. On failure `connection` stays empty.
FtpResult OpenFtpConnection(const FtpSettings& settings, const FtpStatusFn& status,
                            std::unique_ptr<FtpConnection>& connection);

// The client actually used and its version, e.g. "libcurl 7.88.1".
std::string FtpClientVersion();

}  // namespace krv::platform
