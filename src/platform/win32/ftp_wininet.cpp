// The FTP client on Windows: WinINet, a system DLL. InternetConnect opens
// and logs in the one control connection, kept until the object goes. Names
// go to the narrow ("A") functions as UTF-8 bytes, which WinINet passes to
// the wire as they are.
//
// WinINet parses the listing itself (no raw lines): every entry it returns is
// written back as a DOS-style listing line, which the library's listing
// parser reads like any server's.
//
// Towards a hostile server: WinINet connects wherever a PASV reply points,
// so before every transfer in passive mode the server's passive address is
// asked for here and a transfer to another host is refused. A download is
// checked against the size the server states (SIZE).
// winsock2.h before windows.h.
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>

#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/ftp.h"
#include "platform/ftp_text.h"

namespace krv::platform {

namespace {

// The last line of the server's last reply.
std::string LastReply() {
    DWORD error = 0, size = 0;
    ::InternetGetLastResponseInfoA(&error, nullptr, &size);
    std::string text(size + 1, '\0');
    size = static_cast<DWORD>(text.size());
    if (!::InternetGetLastResponseInfoA(&error, text.data(), &size)) return "";
    text.resize(size);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == 0))
        text.pop_back();
    size_t start = text.find_last_of("\r\n");
    return FtpFromWire(start == std::string::npos ? text : text.substr(start + 1));
}

// The server's refusal where there is one, or the system's reason.
std::string LastError(DWORD code) {
    if (code != ERROR_INTERNET_TIMEOUT && code != ERROR_INTERNET_CANNOT_CONNECT &&
        code != ERROR_INTERNET_NAME_NOT_RESOLVED) {
        std::string reply = LastReply();
        if (reply.size() >= 3 && (reply[0] == '4' || reply[0] == '5')) return reply;
    }
    switch (code) {
        case ERROR_INTERNET_TIMEOUT: return "no answer in time";
        case ERROR_INTERNET_CANNOT_CONNECT: return "the server refused the connection";
        case ERROR_INTERNET_NAME_NOT_RESOLVED: return "the server name is unknown";
        case ERROR_INTERNET_LOGIN_FAILURE: return "the server refused the login";
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET: return "the server closed the connection";
        default: break;
    }
    HMODULE wininet = ::GetModuleHandleW(L"wininet.dll");
    char* buffer = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                   FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               wininet, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n ? std::string(buffer, n) : "WinINet error " + std::to_string(code);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

FtpResult Failed() { return FtpResult::Fail(LastError(::GetLastError())); }

// "12-08-2026  10:15PM       <DIR>          name"
std::string DosLine(const WIN32_FIND_DATAA& fd) {
    SYSTEMTIME t{};
    ::FileTimeToSystemTime(&fd.ftLastWriteTime, &t);
    int hour12 = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
    char head[64];
    std::snprintf(head, sizeof head, "%02u-%02u-%04u  %02d:%02u%s", t.wMonth, t.wDay, t.wYear,
                  hour12, t.wMinute, t.wHour < 12 ? "AM" : "PM");
    std::string what;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        what = "       <DIR>         ";
    } else {
        unsigned long long size =
            (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        char number[32];
        std::snprintf(number, sizeof number, "%20llu", size);
        what = number;
    }
    return std::string(head) + " " + what + " " + FtpFromWire(fd.cFileName);
}

// The IPv4 addresses the host name stands for, as "a.b.c.d".
std::vector<std::string> AddressesOf(const std::string& host) {
    std::vector<std::string> out;
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0) {
        for (addrinfo* a = found; a; a = a->ai_next) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
            out.push_back(std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                          std::to_string(b[2]) + "." + std::to_string(b[3]));
        }
        ::freeaddrinfo(found);
    }
    ::WSACleanup();
    return out;
}

// The address of a PASV reply ("227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)"),
// "" when it names none.
std::string PassiveAddressOf(const std::string& reply) {
    if (reply.rfind("227", 0) != 0) return "";
    size_t at = reply.find('(');
    at = reply.find_first_of("0123456789", at == std::string::npos ? 3 : at);
    if (at == std::string::npos) return "";
    unsigned f[6];
    if (std::sscanf(reply.c_str() + at, "%u,%u,%u,%u,%u,%u", &f[0], &f[1], &f[2], &f[3], &f[4],
                    &f[5]) != 6)
        return "";
    for (unsigned v : f)
        if (v > 255) return "";
    return std::to_string(f[0]) + "." + std::to_string(f[1]) + "." + std::to_string(f[2]) + "." +
           std::to_string(f[3]);
}

class WinInetConnection final : public FtpConnection {
  public:
    explicit WinInetConnection(const FtpSettings& settings) : settings_(settings) {}
    ~WinInetConnection() override {
        if (connection_) ::InternetCloseHandle(connection_);
        if (session_) ::InternetCloseHandle(session_);
    }

    FtpResult Login(const FtpStatusFn& status) {
        for (auto [what, text] : {std::pair{"the host name", &settings_.host},
                                  std::pair{"the user name", &settings_.user},
                                  std::pair{"the password", &settings_.password}})
            if (FtpResult r = FtpRefuseUnsafe("login", what, *text); !r.ok) return r;
        session_ = ::InternetOpenA("tarvisco", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        if (!session_) return Failed();
        DWORD ms = static_cast<DWORD>(settings_.timeoutMs);
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                             INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
                             INTERNET_OPTION_DATA_SEND_TIMEOUT})
            ::InternetSetOptionA(session_, option, &ms, sizeof ms);
        DWORD retries = 1;
        ::InternetSetOptionA(session_, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
        connection_ = ::InternetConnectA(
            session_, settings_.host.c_str(), static_cast<INTERNET_PORT>(settings_.port),
            FtpToWire(settings_.user).c_str(), settings_.password.c_str(), INTERNET_SERVICE_FTP,
            settings_.passive ? INTERNET_FLAG_PASSIVE : 0, 0);
        if (!connection_) return Failed();
        if (status) status("WinINet: logged in", true);
        return FtpResult::Ok();
    }

    FtpResult ChangeDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("CWD", "the folder name", dir); !r.ok) return r;
        return ::FtpSetCurrentDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                              : Failed();
    }
    FtpResult MakeDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("MKD", "the folder name", dir); !r.ok) return r;
        return ::FtpCreateDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                          : Failed();
    }
    FtpResult RemoveDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("RMD", "the folder name", dir); !r.ok) return r;
        return ::FtpRemoveDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                          : Failed();
    }
    FtpResult DeleteRemoteFile(const std::string& file) override {
        if (FtpResult r = FtpRefuseUnsafe("DELE", "the file name", file); !r.ok) return r;
        return ::FtpDeleteFileA(connection_, FtpToWire(file).c_str()) ? FtpResult::Ok() : Failed();
    }

    FtpResult Upload(const std::string& localPath, const std::string& remoteFile) override {
        if (FtpResult r = FtpRefuseUnsafe("STOR", "the remote file name", remoteFile); !r.ok)
            return r;
        if (FtpResult r = FtpRefuseUnsafe("STOR", "the local path", localPath); !r.ok) return r;
        RawFile in;
        std::string error;
        if (!in.Open(localPath, RawFile::Mode::kRead, &error))
            return FtpResult::Fail("cannot open the local file " + localPath + ": " + error);
        if (FtpResult r = CheckPassiveAddress(); !r.ok) return r;
        HINTERNET remote = ::FtpOpenFileA(connection_, FtpToWire(remoteFile).c_str(), GENERIC_WRITE,
                                          FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
        if (!remote) return Failed();
        FtpResult r;
        std::string buffer(64 * 1024, '\0');
        for (;;) {
            int64_t got = in.Read(buffer.data(), buffer.size(), &error);
            if (got < 0) {
                r = FtpResult::Fail("cannot read the local file " + localPath + ": " + error);
                break;
            }
            if (got == 0) break;
            DWORD done = 0;
            for (int64_t at = 0; at < got; at += done) {
                if (!::InternetWriteFile(remote, buffer.data() + at, static_cast<DWORD>(got - at),
                                         &done) ||
                    done == 0) {
                    r = Failed();
                    break;
                }
            }
            if (!r.ok) break;
        }
        if (!::InternetCloseHandle(remote) && r.ok) r = Failed();
        return r;
    }

    FtpResult Download(const std::string& remoteFile, const std::string& localPath) override {
        if (FtpResult r = FtpRefuseUnsafe("RETR", "the remote file name", remoteFile); !r.ok)
            return r;
        if (FtpResult r = FtpRefuseUnsafe("RETR", "the local path", localPath); !r.ok) return r;
        int64_t size = RemoteSize(remoteFile);
        if (FtpResult r = CheckPassiveAddress(); !r.ok) return r;
        HINTERNET remote = ::FtpOpenFileA(connection_, FtpToWire(remoteFile).c_str(), GENERIC_READ,
                                          FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
        if (!remote) return Failed();
        int64_t received = 0;
        // The old local file stays until the new one has arrived whole.
        std::string part = localPath + ".part~";
        FtpResult r;
        {
            RawFile out;
            std::string error;
            if (!out.Open(part, RawFile::Mode::kReadWrite, &error) || !out.Truncate(0, &error)) {
                r = FtpResult::Fail("cannot write the local file " + part + ": " + error);
            } else {
                std::string buffer(64 * 1024, '\0');
                for (;;) {
                    DWORD got = 0;
                    if (!::InternetReadFile(remote, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), &got)) {
                        r = Failed();
                        break;
                    }
                    if (got == 0) break;
                    received += got;
                    if (!out.Write(buffer.data(), got, &error)) {
                        r = FtpResult::Fail("cannot write the local file " + part + ": " + error);
                        break;
                    }
                }
            }
        }
        if (!::InternetCloseHandle(remote) && r.ok) r = Failed();
        // A transfer that ended short is no download (WinINet takes it as one).
        if (r.ok && size >= 0 && received != size)
            r = FtpResult::Fail("the transfer ended after " + std::to_string(received) +
                                " of the " + std::to_string(size) +
                                " bytes the server stated; the local file is unchanged, try again");
        if (r.ok && !RenameFile(part, localPath))
            r = FtpResult::Fail("cannot replace the local file " + localPath);
        if (!r.ok) RemoveFile(part);
        return r;
    }

    FtpResult List(FtpListing& listing) override {
        listing.lines.clear();
        listing.style = FtpListing::Style::kList;
        if (FtpResult r = CheckPassiveAddress(); !r.ok) return r;
        WIN32_FIND_DATAA fd{};
        HINTERNET find = ::FtpFindFirstFileA(
            connection_, nullptr, &fd, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        if (!find) {
            DWORD code = ::GetLastError();
            // An empty folder (wine reports no error code at all for it).
            bool empty = code == ERROR_NO_MORE_FILES || code == ERROR_SUCCESS;
            return empty ? FtpResult::Ok() : FtpResult::Fail(LastError(code));
        }
        FtpResult r;
        int64_t bytes = 0;
        bool more = true;
        do {
            std::string line = DosLine(fd);
            bytes += static_cast<int64_t>(line.size()) + 2;
            if (bytes > settings_.maxListingBytes) {
                r = FtpResult::Fail(TooLong(settings_.maxListingBytes, "bytes"));
            } else if (static_cast<int64_t>(listing.lines.size()) >= settings_.maxListingEntries) {
                r = FtpResult::Fail(TooLong(settings_.maxListingEntries, "entries"));
            } else {
                listing.lines.push_back(std::move(line));
                more = ::InternetFindNextFileA(find, &fd);
            }
        } while (r.ok && more);
        DWORD code = ::GetLastError();
        if (r.ok && code != ERROR_NO_MORE_FILES) r = FtpResult::Fail(LastError(code));
        ::InternetCloseHandle(find);
        if (!r.ok) listing.lines.clear();
        return r;
    }

  private:
    static std::string TooLong(int64_t bound, const char* unit) {
        return "the listing goes past its bound of " + std::to_string(bound) + " " + unit +
               " (raise the listing limit, or list a smaller folder)";
    }

    // One command on the control connection and the last line of its reply,
    // "" when it was refused.
    std::string Ask(const std::string& command) {
        if (!::FtpCommandA(connection_, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), 0,
                           nullptr))
            return "";
        return LastReply();
    }

    // The size the server states for the file (binary), -1 when it states none.
    int64_t RemoteSize(const std::string& remoteFile) {
        Ask("TYPE I");  // some servers state no size in ASCII mode
        std::string reply = Ask("SIZE " + FtpToWire(remoteFile));
        if (reply.size() < 5 || reply.rfind("213 ", 0) != 0) return -1;
        char* end = nullptr;
        long long size = std::strtoll(reply.c_str() + 4, &end, 10);
        return end != reply.c_str() + 4 && size >= 0 ? size : -1;
    }

    // Asks for the passive address the next transfer would go to and refuses
    // it when it is not the server's own: WinINet would follow it anywhere.
    FtpResult CheckPassiveAddress() {
        if (!settings_.passive) return FtpResult::Ok();
        if (!::FtpCommandA(connection_, FALSE, FTP_TRANSFER_TYPE_BINARY, "PASV", 0, nullptr))
            return Failed();
        std::string reply = LastReply();
        std::string named = PassiveAddressOf(reply);
        if (named.empty())
            return FtpResult::Fail("the server's passive mode reply names no address: " + reply);
        if (serverAddresses_.empty()) serverAddresses_ = AddressesOf(settings_.host);
        for (const std::string& own : serverAddresses_)
            if (own == named) return FtpResult::Ok();
        return FtpResult::Fail("the server's passive mode reply names " + named +
                               ", not the server's own address; the transfer was refused "
                               "(have the server name its own address, or use active mode)");
    }

    FtpSettings settings_;
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
    std::vector<std::string> serverAddresses_;  // of settings_.host, found once
};

}  // namespace

FtpResult OpenFtpConnection(const FtpSettings& settings, const FtpStatusFn& status,
                            std::unique_ptr<FtpConnection>& connection) {
    connection.reset();
    auto c = std::make_unique<WinInetConnection>(settings);
    FtpResult r = c->Login(status);
    if (r.ok) connection = std::move(c);
    return r;
}

std::string FtpClientVersion() {
    // WinINet's own version: the file version of wininet.dll.
    std::string version = "WinINet";
    wchar_t path[MAX_PATH];
    HMODULE module = ::GetModuleHandleW(L"wininet.dll");
    if (module && ::GetModuleFileNameW(module, path, MAX_PATH)) {
        DWORD handle = 0;
        DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
        std::string data(size, '\0');
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (size && ::GetFileVersionInfoW(path, 0, size, data.data()) &&
            ::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) &&
            info) {
            char number[64];
            std::snprintf(number, sizeof number, " %u.%u.%u.%u",
                          static_cast<unsigned>(HIWORD(info->dwFileVersionMS)),
                          static_cast<unsigned>(LOWORD(info->dwFileVersionMS)),
                          static_cast<unsigned>(HIWORD(info->dwFileVersionLS)),
                          static_cast<unsigned>(LOWORD(info->dwFileVersionLS)));
            version += number;
        }
    }
    return version;
}

}  // namespace krv::platform
