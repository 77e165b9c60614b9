// Winsock sockets and UTF-16 file names for the scale tools.
#include "os.h"
#include "wide_win32.h"

#include <winsock2.h>

#include <ws2tcpip.h>

#include <windows.h>

#include <chrono>

namespace krv::tools {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

SOCKET AsSocket(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

// Sockets stay non-blocking: every wait goes through select, with a time-out.
void PrepareSocket(SOCKET s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
}

// 1 ready, 0 time-out, -1 error. For a connect, "ready" may also be a failure
// that the caller reads from SO_ERROR.
int WaitFor(SOCKET s, bool for_write, int timeout_ms) {
    fd_set set, failed;
    FD_ZERO(&set);
    FD_ZERO(&failed);
    FD_SET(s, &set);
    FD_SET(s, &failed);
    timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    int n = select(0, for_write ? nullptr : &set, for_write ? &set : nullptr, &failed, &tv);
    if (n == SOCKET_ERROR) return -1;
    return n > 0 ? 1 : 0;
}

ConnectFailure Classify(int err) {
    switch (err) {
        case WSAECONNREFUSED: return ConnectFailure::kRefused;
        case WSAETIMEDOUT: return ConnectFailure::kTimeout;
        default: return ConnectFailure::kOther;
    }
}

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

Socket::Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

void Socket::Close() {
    if (handle_ != kInvalid) closesocket(AsSocket(handle_));
    handle_ = kInvalid;
}

bool NetStartup() {
    static bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

Socket Connect(const std::string& host, int port, int timeout_ms, ConnectFailure* failure,
               int* system_error) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    auto fail = [&](ConnectFailure why, int err) {
        *failure = why;
        if (system_error) *system_error = err;
        return Socket();
    };
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0 || !list)
        return fail(ConnectFailure::kHostNotFound, WSAGetLastError());

    ConnectFailure why = ConnectFailure::kOther;
    int last_error = 0;
    for (addrinfo* a = list; a; a = a->ai_next) {
        SOCKET raw = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (raw == INVALID_SOCKET) {
            last_error = WSAGetLastError();
            continue;
        }
        Socket s(static_cast<std::intptr_t>(raw));
        PrepareSocket(raw);
        BOOL one = TRUE;
        setsockopt(raw, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
        if (::connect(raw, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) {
            freeaddrinfo(list);
            *failure = ConnectFailure::kNone;
            return s;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            last_error = WSAGetLastError();
            why = Classify(last_error);
            continue;
        }
        int ready = WaitFor(raw, true, Remaining(deadline));
        int err = 0;
        int len = sizeof err;
        if (ready > 0) getsockopt(raw, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
        if (ready > 0 && err == 0) {
            freeaddrinfo(list);
            *failure = ConnectFailure::kNone;
            return s;
        }
        last_error = ready == 0 ? WSAETIMEDOUT : (err ? err : WSAGetLastError());
        why = Classify(last_error);
    }
    freeaddrinfo(list);
    return fail(why, last_error);
}

Socket Listen(const std::string& host, int port, std::string* error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    addrinfo* list = nullptr;
    std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0 || !list) {
        *error = "not a numeric address: " + host;
        return Socket();
    }
    SOCKET raw = ::socket(list->ai_family, list->ai_socktype, list->ai_protocol);
    Socket s(raw == INVALID_SOCKET ? Socket::kInvalid : static_cast<std::intptr_t>(raw));
    if (s.Valid()) {
        PrepareSocket(raw);
        if (::bind(raw, list->ai_addr, static_cast<int>(list->ai_addrlen)) != 0 ||
            ::listen(raw, 16) != 0)
            s.Close();
    }
    if (!s.Valid()) *error = "socket error " + std::to_string(WSAGetLastError());
    freeaddrinfo(list);
    return s;
}

int LocalPort(const Socket& socket) {
    sockaddr_storage addr{};
    int len = sizeof addr;
    if (getsockname(AsSocket(socket.Handle()), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return -1;
    if (addr.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    return -1;
}

IoResult Accept(const Socket& listener, int timeout_ms, Socket* client) {
    SOCKET l = AsSocket(listener.Handle());
    int ready = WaitFor(l, false, timeout_ms);
    if (ready == 0) return IoResult::kTimeout;
    if (ready < 0) return IoResult::kError;
    SOCKET c = ::accept(l, nullptr, nullptr);
    if (c == INVALID_SOCKET)
        return WSAGetLastError() == WSAEWOULDBLOCK ? IoResult::kTimeout : IoResult::kError;
    PrepareSocket(c);
    // Answers are small and come one at a time: without this, each would wait
    // for the peer's delayed acknowledgement of the one before.
    BOOL one = TRUE;
    setsockopt(c, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    *client = Socket(static_cast<std::intptr_t>(c));
    return IoResult::kOk;
}

IoResult SendAll(const Socket& socket, std::string_view data, int timeout_ms) {
    SOCKET s = AsSocket(socket.Handle());
    while (!data.empty()) {
        int chunk = data.size() > 65536 ? 65536 : static_cast<int>(data.size());
        int n = ::send(s, data.data(), chunk, 0);
        if (n > 0) {
            data.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return IoResult::kError;
        int ready = WaitFor(s, true, timeout_ms);
        if (ready == 0) return IoResult::kTimeout;
        if (ready < 0) return IoResult::kError;
    }
    return IoResult::kOk;
}

IoResult Receive(const Socket& socket, int timeout_ms, std::string* data) {
    SOCKET s = AsSocket(socket.Handle());
    int ready = WaitFor(s, false, timeout_ms);
    if (ready == 0) return IoResult::kTimeout;
    if (ready < 0) return IoResult::kError;
    char buf[4096];
    int n = ::recv(s, buf, sizeof buf, 0);
    if (n > 0) {
        data->append(buf, static_cast<size_t>(n));
        return IoResult::kOk;
    }
    if (n == 0) return IoResult::kClosed;
    return WSAGetLastError() == WSAEWOULDBLOCK ? IoResult::kTimeout : IoResult::kError;
}

std::FILE* OpenFile(const std::string& utf8_path, const char* mode) {
    return _wfopen(WideFromUtf8(utf8_path).c_str(), WideFromUtf8(mode).c_str());
}

bool FileExists(const std::string& utf8_path) {
    DWORD attrs = GetFileAttributesW(WideFromUtf8(utf8_path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& utf8_path) {
    if (DeleteFileW(WideFromUtf8(utf8_path).c_str())) return true;
    DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string ProgramDir() {
    wchar_t buf[32768];
    DWORD n = GetModuleFileNameW(nullptr, buf, sizeof buf / sizeof buf[0]);
    if (n == 0 || n >= sizeof buf / sizeof buf[0]) return "";
    std::wstring path(buf, n);
    size_t sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos) return "";
    path.resize(sep + 1);
    int len = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), out.data(), len,
                        nullptr, nullptr);
    return out;
}

std::optional<std::string> CodePageByteToUtf8(const char*, unsigned windows_page,
                                              unsigned char byte) {
    char in = static_cast<char>(byte);
    wchar_t w[4];
    int n = MultiByteToWideChar(windows_page, MB_ERR_INVALID_CHARS, &in, 1, w, 4);
    if (n <= 0) return std::nullopt;
    char out[8];
    int m = WideCharToMultiByte(CP_UTF8, 0, w, n, out, sizeof out, nullptr, nullptr);
    if (m <= 0) return std::nullopt;
    return std::string(out, static_cast<size_t>(m));
}

}  // namespace krv::tools
