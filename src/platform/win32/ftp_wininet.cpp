// The FTP client on Windows: WinINet, a system DLL. InternetConnect opens
// and logs in the one control connection, kept until the object goes. Names
// go to the narrow ("A") functions as UTF-8 bytes, which WinINet passes to
// the wire as they are.
//
// WinINet parses the listing itself (no raw lines): every entry it returns is
// written back as a DOS-style listing line, which the library's listing
// parser reads like any server's.
#include <windows.h>

#include <wininet.h>

#include <cstdio>

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

class WinInetConnection final : public FtpConnection {
  public:
    explicit WinInetConnection(const FtpSettings& settings) : settings_(settings) {}
    ~WinInetConnection() override {
        if (connection_) ::InternetCloseHandle(connection_);
        if (session_) ::InternetCloseHandle(session_);
    }

    FtpResult Login(const FtpStatusFn& status) {
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
        return ::FtpSetCurrentDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                              : Failed();
    }
    FtpResult MakeDir(const std::string& dir) override {
        return ::FtpCreateDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                          : Failed();
    }
    FtpResult RemoveDir(const std::string& dir) override {
        return ::FtpRemoveDirectoryA(connection_, FtpToWire(dir).c_str()) ? FtpResult::Ok()
                                                                          : Failed();
    }
    FtpResult DeleteRemoteFile(const std::string& file) override {
        return ::FtpDeleteFileA(connection_, FtpToWire(file).c_str()) ? FtpResult::Ok() : Failed();
    }

    FtpResult Upload(const std::string& localPath, const std::string& remoteFile) override {
        RawFile in;
        std::string error;
        if (!in.Open(localPath, RawFile::Mode::kRead, &error))
            return FtpResult::Fail("cannot open the local file " + localPath + ": " + error);
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
        HINTERNET remote = ::FtpOpenFileA(connection_, FtpToWire(remoteFile).c_str(), GENERIC_READ,
                                          FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
        if (!remote) return Failed();
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
                    if (!out.Write(buffer.data(), got, &error)) {
                        r = FtpResult::Fail("cannot write the local file " + part + ": " + error);
                        break;
                    }
                }
            }
        }
        if (!::InternetCloseHandle(remote) && r.ok) r = Failed();
        if (r.ok && !RenameFile(part, localPath))
            r = FtpResult::Fail("cannot replace the local file " + localPath);
        if (!r.ok) RemoveFile(part);
        return r;
    }

    FtpResult List(FtpListing& listing) override {
        listing.lines.clear();
        listing.style = FtpListing::Style::kList;
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
        do {
            listing.lines.push_back(DosLine(fd));
        } while (::InternetFindNextFileA(find, &fd));
        DWORD code = ::GetLastError();
        if (code != ERROR_NO_MORE_FILES) r = FtpResult::Fail(LastError(code));
        ::InternetCloseHandle(find);
        return r;
    }

  private:
    FtpSettings settings_;
    HINTERNET session_ = nullptr;
    HINTERNET connection_ = nullptr;
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
