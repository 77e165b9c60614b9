// What the scale tools need from the operating system: TCP sockets with
// time-outs, and files named by UTF-8 paths. One implementation per system
// (os_posix.cpp, os_win32.cpp); nothing else in the tools is system-specific.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace krv::tools {

// Owns one socket handle and closes it when destroyed.
class Socket {
  public:
    Socket() = default;
    explicit Socket(std::intptr_t handle) : handle_(handle) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool Valid() const { return handle_ != kInvalid; }
    std::intptr_t Handle() const { return handle_; }
    void Close();

    static constexpr std::intptr_t kInvalid = -1;

  private:
    std::intptr_t handle_ = kInvalid;
};

enum class IoResult {
    kOk,
    kTimeout,  // nothing happened within the time allowed
    kClosed,   // the peer closed the connection in an orderly way
    kError,    // the connection broke (reset, network failure)
};

enum class ConnectFailure { kNone, kRefused, kTimeout, kHostNotFound, kOther };

// Must be called once before any other socket call (Windows needs it).
bool NetStartup();

// Connects to host:port within timeout_ms. On failure the socket is invalid and
// *failure (and *system_error, when given) say why.
Socket Connect(const std::string& host, int port, int timeout_ms, ConnectFailure* failure,
               int* system_error = nullptr);

// A listening socket on host:port (port 0 lets the system choose); invalid and
// *error set on failure.
Socket Listen(const std::string& host, int port, std::string* error);
int LocalPort(const Socket& socket);

// Waits up to timeout_ms for a client; kTimeout when none came.
IoResult Accept(const Socket& listener, int timeout_ms, Socket* client);

// Sends all of data; the time-out bounds each wait for buffer space.
IoResult SendAll(const Socket& socket, std::string_view data, int timeout_ms);

// Waits up to timeout_ms for data and appends what arrived to *data.
IoResult Receive(const Socket& socket, int timeout_ms, std::string* data);

// Files named by UTF-8 paths (Windows opens them through UTF-16).
std::FILE* OpenFile(const std::string& utf8_path, const char* mode);
bool FileExists(const std::string& utf8_path);
// True also when there was nothing to remove.
bool RemoveFile(const std::string& utf8_path);
// Renames from over to, replacing to in one step where the system allows.
bool RenameReplacing(const std::string& from, const std::string& to);

// The folder of the running program, ending with a path separator (UTF-8);
// empty when the system cannot say.
std::string ProgramDir();

// One byte of a single-byte code page as UTF-8, by the page's iconv name on
// POSIX and its number on Windows; nullopt when the page does not define the
// byte or the system does not know the page.
std::optional<std::string> CodePageByteToUtf8(const char* iconv_name, unsigned windows_page,
                                              unsigned char byte);

}  // namespace krv::tools
