// POSIX sockets and files for the scale tools.
#include "os.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <iconv.h>
#include <limits.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace krv::tools {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Sockets stay non-blocking for their whole life: every wait goes through poll
// so that every wait has a time-out. They are not inherited by child programs.
void PrepareSocket(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// 1 ready, 0 time-out, -1 error. An interrupting signal counts as a time-out
// so that callers get the chance to look at their stop flag.
int WaitFor(int fd, short events, int timeout_ms) {
    pollfd p{fd, events, 0};
    int n = poll(&p, 1, timeout_ms);
    if (n < 0) return errno == EINTR ? 0 : -1;
    return n;
}

ConnectFailure Classify(int err) {
    switch (err) {
        case ECONNREFUSED: return ConnectFailure::kRefused;
        case ETIMEDOUT: return ConnectFailure::kTimeout;
        default: return ConnectFailure::kOther;
    }
}

}  // namespace

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
    if (handle_ != kInvalid) ::close(static_cast<int>(handle_));
    handle_ = kInvalid;
}

bool NetStartup() { return true; }

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
        return fail(ConnectFailure::kHostNotFound, 0);

    ConnectFailure why = ConnectFailure::kOther;
    int last_error = 0;
    for (addrinfo* a = list; a; a = a->ai_next) {
        Socket s(::socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        if (!s.Valid()) {
            last_error = errno;
            continue;
        }
        int fd = static_cast<int>(s.Handle());
        PrepareSocket(fd);
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            freeaddrinfo(list);
            *failure = ConnectFailure::kNone;
            return s;
        }
        if (errno != EINPROGRESS) {
            last_error = errno;
            why = Classify(errno);
            continue;
        }
        int ready = 0;
        while ((ready = WaitFor(fd, POLLOUT, Remaining(deadline))) == 0 &&
               Remaining(deadline) > 0) {
        }
        if (ready <= 0) {
            last_error = ready == 0 ? ETIMEDOUT : errno;
            why = Classify(last_error);
            continue;
        }
        int err = 0;
        socklen_t len = sizeof err;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err == 0) {
            freeaddrinfo(list);
            *failure = ConnectFailure::kNone;
            return s;
        }
        last_error = err;
        why = Classify(err);
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
    Socket s(::socket(list->ai_family, list->ai_socktype, list->ai_protocol));
    if (s.Valid()) {
        int fd = static_cast<int>(s.Handle());
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        PrepareSocket(fd);
        if (::bind(fd, list->ai_addr, list->ai_addrlen) != 0 || ::listen(fd, 16) != 0) s.Close();
    }
    if (!s.Valid()) *error = std::strerror(errno);
    freeaddrinfo(list);
    return s;
}

int LocalPort(const Socket& socket) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getsockname(static_cast<int>(socket.Handle()), reinterpret_cast<sockaddr*>(&addr), &len) !=
        0)
        return -1;
    if (addr.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    return -1;
}

IoResult Accept(const Socket& listener, int timeout_ms, Socket* client) {
    int fd = static_cast<int>(listener.Handle());
    int ready = WaitFor(fd, POLLIN, timeout_ms);
    if (ready == 0) return IoResult::kTimeout;
    if (ready < 0) return IoResult::kError;
    int c = ::accept(fd, nullptr, nullptr);
    if (c < 0)
        return (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED) ? IoResult::kTimeout
                                                                            : IoResult::kError;
    PrepareSocket(c);
    // Answers are small and come one at a time: without this, each would wait
    // for the peer's delayed acknowledgement of the one before.
    int one = 1;
    setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    *client = Socket(c);
    return IoResult::kOk;
}

IoResult SendAll(const Socket& socket, std::string_view data, int timeout_ms) {
    int fd = static_cast<int>(socket.Handle());
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n > 0) {
            data.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return IoResult::kError;
        int ready = WaitFor(fd, POLLOUT, timeout_ms);
        if (ready == 0) return IoResult::kTimeout;
        if (ready < 0) return IoResult::kError;
    }
    return IoResult::kOk;
}

IoResult Receive(const Socket& socket, int timeout_ms, std::string* data) {
    int fd = static_cast<int>(socket.Handle());
    int ready = WaitFor(fd, POLLIN, timeout_ms);
    if (ready == 0) return IoResult::kTimeout;
    if (ready < 0) return IoResult::kError;
    char buf[4096];
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n > 0) {
        data->append(buf, static_cast<size_t>(n));
        return IoResult::kOk;
    }
    if (n == 0) return IoResult::kClosed;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return IoResult::kTimeout;
    return IoResult::kError;
}

std::FILE* OpenFile(const std::string& utf8_path, const char* mode) {
    return std::fopen(utf8_path.c_str(), mode);
}

bool FileExists(const std::string& utf8_path) {
    struct stat st {};
    return ::stat(utf8_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RemoveFile(const std::string& utf8_path) {
    return ::unlink(utf8_path.c_str()) == 0 || errno == ENOENT;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string ProgramDir() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::optional<std::string> CodePageByteToUtf8(const char* iconv_name, unsigned,
                                              unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", iconv_name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    char out[8];
    char* in_p = in;
    char* out_p = out;
    size_t in_left = 1, out_left = sizeof out;
    size_t r = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || in_left != 0 || out_p == out) return std::nullopt;
    return std::string(out, static_cast<size_t>(out_p - out));
}

}  // namespace krv::tools
