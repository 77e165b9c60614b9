// TFTPControl: file transfer with an FTP server for drivers whose device or
// server exchanges files over FTP. One connection lives from Connect to
// Disconnect; every call blocks the caller's thread.
//
// Defaults (the same on every platform): port 21, 30 s time-out for
// connecting and for every answer, passive mode. Remote names are
// Windows-1250 and travel as UTF-8.
//
// Failures throw EFtpError naming the operation, the server and the server's
// own reply line where there is one. The password never appears in a status
// text or an exception. A name, path, host or user holding CR, LF or NUL is
// refused before anything is sent (it would end an FTP command and start
// another).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/exception.h"
#include "support/ftp_listing.h"

namespace krv {

namespace platform {
class FtpConnection;
struct FtpListing;
}  // namespace platform

class EFtpError : public Exception {
  public:
    using Exception::Exception;
};

class TFTPControl {
  public:
    using TextCallback = std::function<void(const std::string&)>;

    static constexpr int kDefaultPort = 21;
    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr int64_t kDefaultListingBytes = int64_t{64} << 20;
    static constexpr int64_t kDefaultListingEntries = 1000000;

    TFTPControl();
    ~TFTPControl();
    TFTPControl(const TFTPControl&) = delete;
    TFTPControl& operator=(const TFTPControl&) = delete;

    void SetHost(const std::string& host) { host_ = host; }
    void SetPortA(int port) { port_ = port; }
    void SetUserId(const std::string& user) { user_ = user; }
    void SetPassword(const std::string& password) { password_ = password; }
    // Milliseconds; 0 or less gives the default.
    void SetTimeout(int ms) { timeoutMs_ = ms > 0 ? ms : kDefaultTimeoutMs; }
    void SetPassiveMode(bool passive) { passive_ = passive; }
    // A listing longer than `bytes` or than `entries` lines fails; 0 or less
    // gives the default (64 MiB, a million lines).
    void SetListingLimits(int64_t bytes, int64_t entries) {
        listingBytes_ = bytes > 0 ? bytes : kDefaultListingBytes;
        listingEntries_ = entries > 0 ? entries : kDefaultListingEntries;
    }
    // 0: no status texts; 1: connecting, connected, transfers, disconnecting;
    // 2 and more: also every command sent and every reply of the server.
    void SetReportLevel(int level) { reportLevel_ = level; }
    void SetStatusCallback(TextCallback callback) { status_ = std::move(callback); }
    // Receives every raw line of a listing.
    void SetListingCallback(TextCallback callback) { listing_ = std::move(callback); }
    bool GetConnected() const { return connection_ != nullptr; }

    // Connects and logs in; an open connection is closed first.
    void Connect();
    void Disconnect();

    // Sends the whole local file; an existing remote file is replaced.
    void Upload(const std::string& localFile, const std::string& remoteFile);
    // Fetches the remote file, replacing the local one once it has arrived
    // whole (a failed download leaves the local file as it was).
    void Download(const std::string& remoteFile, const std::string& localFile);
    void ChangeDir(const std::string& dir);
    void DeleteFileA(const std::string& file);
    void MakeDir(const std::string& dir);
    void RemoveDir(const std::string& dir);

    // The detailed listing of the current folder: every raw line goes to the
    // listing callback and, when given, into `lines`.
    void List(std::vector<std::string>* lines);
    // The same; then the names of the files and of the folders (each list
    // optional).
    void List(std::vector<std::string>* files, std::vector<std::string>* dirs);
    // Name, permission text (lower case), size and time of every entry.
    std::unique_ptr<TFTPListingItems> ListAndParse();
    // Looks the name up in the listing without regard to case.
    bool FileExists(const std::string& name);
    bool DirExists(const std::string& name);

    // The client in use and its version ("libcurl 7.88.1", "WinINet ...").
    static std::string GetFTPControlVersionInfo();

  private:
    std::vector<FtpListingEntry> ListEntries();
    void RawList(platform::FtpListing& listing);
    platform::FtpConnection& Connection(const std::string& operation);
    // Refuses `text` (what it is, e.g. "nazwa folderu") for `call` when it
    // holds a byte no FTP command can carry.
    void RefuseUnsafe(const char* call, const std::string& operation, const std::string& what,
                      const std::string& text) const;
    [[noreturn]] void Fail(const std::string& operation, const std::string& reason) const;
    void Status(const std::string& text, bool detail) const;
    // The text with every occurrence of the password masked.
    std::string Masked(std::string text) const;
    std::string Server() const;

    std::string host_;
    int port_ = kDefaultPort;
    std::string user_;
    std::string password_;
    int timeoutMs_ = kDefaultTimeoutMs;
    bool passive_ = true;
    int64_t listingBytes_ = kDefaultListingBytes;
    int64_t listingEntries_ = kDefaultListingEntries;
    int reportLevel_ = 0;
    TextCallback status_;
    TextCallback listing_;
    std::unique_ptr<platform::FtpConnection> connection_;
};

}  // namespace krv
