// The FTP client on POSIX: libcurl. One easy handle per connection keeps the
// logged-in control connection in its cache, so every call after the login
// reuses it. The current folder is kept here as an absolute path and every
// request names its target absolutely (no CWD by libcurl), so the folder
// never depends on what libcurl did on the connection before.
//
// Towards a hostile server: no name with CR, LF or NUL reaches a command, the
// data connection goes to the control connection's host whatever a PASV
// reply names, and a listing is split into lines as it arrives and stops at
// the bounds of the settings.
#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/clock.h"
#include "platform/ftp.h"
#include "platform/ftp_text.h"

namespace krv::platform {

namespace {

std::string FromWire(const std::string& s) { return FtpFromWire(s); }

// "a/./b/../c" relative to "/x" gives "/x/a/c".
std::string Normalize(const std::string& base, const std::string& path) {
    std::vector<std::string> parts;
    std::string all = (!path.empty() && path[0] == '/') ? path : base + "/" + path;
    size_t i = 0;
    while (i <= all.size()) {
        size_t j = all.find('/', i);
        if (j == std::string::npos) j = all.size();
        std::string part = all.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

class CurlConnection final : public FtpConnection {
  public:
    CurlConnection(const FtpSettings& settings, const FtpStatusFn& status)
        : settings_(settings),
          status_(status),
          multi_(curl_multi_init()),
          handle_(curl_easy_init()) {
        std::string host = settings.host.find(':') != std::string::npos ? "[" + settings.host + "]"
                                                                        : settings.host;
        base_ = "ftp://" + host + ":" + std::to_string(settings.port) + "/";
    }
    ~CurlConnection() override {
        if (handle_) curl_easy_cleanup(handle_);
        if (multi_) curl_multi_cleanup(multi_);  // closes the connection with QUIT
    }

    FtpResult Login() {
        if (!handle_ || !multi_) return FtpResult::Fail("libcurl could not start");
        for (auto [what, text] : {std::pair{"the host name", &settings_.host},
                                  std::pair{"the user name", &settings_.user},
                                  std::pair{"the password", &settings_.password}})
            if (FtpResult r = FtpRefuseUnsafe("login", what, *text); !r.ok) return r;
        Prepare(base_ + "%2F");
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
        FtpResult r = Perform();
        if (!r.ok) return r;
        char* entry = nullptr;
        curl_easy_getinfo(handle_, CURLINFO_FTP_ENTRY_PATH, &entry);
        cwd_ = entry && entry[0] == '/' ? Normalize("/", entry) : "/";
        return r;
    }

    FtpResult ChangeDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("CWD", "the folder name", dir); !r.ok) return r;
        std::string target = Normalize(cwd_, Utf8(dir));
        FtpResult r = Command("CWD " + target);
        if (r.ok) cwd_ = target;
        return r;
    }
    FtpResult MakeDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("MKD", "the folder name", dir); !r.ok) return r;
        return Command("MKD " + Normalize(cwd_, Utf8(dir)));
    }
    FtpResult RemoveDir(const std::string& dir) override {
        if (FtpResult r = FtpRefuseUnsafe("RMD", "the folder name", dir); !r.ok) return r;
        return Command("RMD " + Normalize(cwd_, Utf8(dir)));
    }
    FtpResult DeleteRemoteFile(const std::string& file) override {
        if (FtpResult r = FtpRefuseUnsafe("DELE", "the file name", file); !r.ok) return r;
        return Command("DELE " + Normalize(cwd_, Utf8(file)));
    }

    FtpResult Upload(const std::string& localPath, const std::string& remoteFile) override {
        if (FtpResult r = FtpRefuseUnsafe("STOR", "the remote file name", remoteFile); !r.ok)
            return r;
        if (FtpResult r = FtpRefuseUnsafe("STOR", "the local path", localPath); !r.ok) return r;
        std::FILE* in = std::fopen(localPath.c_str(), "rb");
        if (!in)
            return FtpResult::Fail("cannot open the local file " + localPath + ": " +
                                   std::strerror(errno));
        std::fseek(in, 0, SEEK_END);
        long size = std::ftell(in);
        std::fseek(in, 0, SEEK_SET);
        Prepare(UrlOf(Normalize(cwd_, Utf8(remoteFile))));
        curl_easy_setopt(handle_, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(handle_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        curl_easy_setopt(handle_, CURLOPT_READFUNCTION, &CurlConnection::ReadFile);
        curl_easy_setopt(handle_, CURLOPT_READDATA, this);
        file_ = in;
        FtpResult r = Perform();
        file_ = nullptr;
        std::fclose(in);
        return r;
    }

    FtpResult Download(const std::string& remoteFile, const std::string& localPath) override {
        if (FtpResult r = FtpRefuseUnsafe("RETR", "the remote file name", remoteFile); !r.ok)
            return r;
        if (FtpResult r = FtpRefuseUnsafe("RETR", "the local path", localPath); !r.ok) return r;
        // The old local file stays until the new one has arrived whole.
        std::string part = localPath + ".part~";
        std::FILE* out = std::fopen(part.c_str(), "wb");
        if (!out)
            return FtpResult::Fail("cannot write the local file " + part + ": " +
                                   std::strerror(errno));
        Prepare(UrlOf(Normalize(cwd_, Utf8(remoteFile))));
        curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &CurlConnection::WriteFile);
        curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
        file_ = out;
        FtpResult r = Perform();
        file_ = nullptr;
        bool closed = std::fclose(out) == 0;
        if (r.ok && !closed) r = FtpResult::Fail("cannot write the local file " + part);
        if (r.ok && std::rename(part.c_str(), localPath.c_str()) != 0)
            r = FtpResult::Fail("cannot replace the local file " + localPath + ": " +
                                std::strerror(errno));
        if (!r.ok) std::remove(part.c_str());
        return r;
    }

    FtpResult List(FtpListing& listing) override {
        listing.lines.clear();
        if (mlsd_) {
            listing.style = FtpListing::Style::kMachine;
            FtpResult r = ListWith("MLSD", listing);
            if (r.ok) return r;
            int code = std::atoi(lastReply_.c_str());
            // 500/502/504: the server does not know MLSD.
            if (code != 500 && code != 502 && code != 504) return r;
            mlsd_ = false;
            listing.lines.clear();
        }
        listing.style = FtpListing::Style::kList;
        return ListWith("LIST", listing);
    }

  private:
    static std::string Utf8(const std::string& cp1250) { return FtpToWire(cp1250); }

    // An absolute path as a URL: "%2F" keeps it absolute for libcurl.
    std::string UrlOf(const std::string& absolute) {
        std::string url = base_ + "%2F";
        size_t i = 1;
        while (i <= absolute.size()) {
            size_t j = absolute.find('/', i);
            if (j == std::string::npos) j = absolute.size();
            std::string part = absolute.substr(i, j - i);
            char* escaped = curl_easy_escape(handle_, part.c_str(), static_cast<int>(part.size()));
            url += escaped ? escaped : "";
            curl_free(escaped);
            if (j < absolute.size()) url += "/";
            i = j + 1;
        }
        return url;
    }

    FtpResult ListWith(const char* command, FtpListing& listing) {
        std::string dir = UrlOf(cwd_);
        if (dir.back() != '/') dir += "/";
        Prepare(dir);
        curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, command);
        curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &CurlConnection::WriteText);
        curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
        text_.clear();
        listingBytes_ = 0;
        listingTooLong_.clear();
        listing_ = &listing;
        FtpResult r = Perform();
        if (r.ok && !text_.empty()) TakeLine(text_);  // a last line without an end
        listing_ = nullptr;
        text_.clear();
        if (!listingTooLong_.empty()) r = FtpResult::Fail(listingTooLong_);
        if (!r.ok) listing.lines.clear();
        return r;
    }

    // One line of a listing as it arrives; false past the entries' bound.
    bool TakeLine(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) return true;
        if (static_cast<int64_t>(listing_->lines.size()) >= settings_.maxListingEntries) {
            listingTooLong_ = "the listing goes past its bound of " +
                              std::to_string(settings_.maxListingEntries) +
                              " entries (raise the listing limit, or list a smaller folder)";
            return false;
        }
        listing_->lines.push_back(FromWire(std::string(line)));
        return true;
    }

    // One command on the connection, with no transfer. libcurl drops the
    // connection when a command is refused, unless the command is marked
    // with '*' as one that may fail: then the reply is judged here.
    FtpResult Command(const std::string& command) {
        if (FtpResult r = FtpRefuseUnsafe("a command", "the command", command); !r.ok) return r;
        Prepare(base_ + "%2F");
        curl_slist* list = curl_slist_append(nullptr, ("*" + command).c_str());
        curl_easy_setopt(handle_, CURLOPT_QUOTE, list);
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
        command_ = command;
        commandReply_.clear();
        FtpResult r = Perform();
        command_.clear();
        curl_easy_setopt(handle_, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(list);
        if (r.ok &&
            (commandReply_.size() < 3 || commandReply_[0] == '4' || commandReply_[0] == '5'))
            r = FtpResult::Fail(commandReply_.empty() ? "no reply to " + FromWire(command)
                                                      : commandReply_);
        return r;
    }

    void Prepare(const std::string& url) {
        curl_easy_reset(handle_);  // keeps the connection
        curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle_, CURLOPT_USERNAME, settings_.user.c_str());
        curl_easy_setopt(handle_, CURLOPT_PASSWORD, settings_.password.c_str());
        curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(handle_, CURLOPT_FTPPORT, settings_.passive ? nullptr : "-");
        // The data connection goes to the control connection's host, never to
        // another address a PASV reply may name.
        curl_easy_setopt(handle_, CURLOPT_FTP_SKIP_PASV_IP, 1L);
        curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(settings_.timeoutMs));
        // Whole seconds only: Perform keeps the finer limit.
        curl_easy_setopt(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                         static_cast<long>((settings_.timeoutMs + 999) / 1000));
        curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, &CurlConnection::Debug);
        curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, errorBuffer_);
        errorBuffer_[0] = 0;
    }

    // Runs the prepared request through the connection's own multi handle,
    // which keeps the connection between requests. Waiting in short slices
    // keeps the time-out to the millisecond and never lets a missed wake-up
    // of libcurl (a data connection that became ready unnoticed) stall a
    // transfer for its one-second tick.
    FtpResult Perform() {
        lastReply_.clear();
        timedOut_ = false;
        lastActivity_ = SystemClock().MonotonicMs();
        CURLcode code = CURLE_OK;
        if (curl_multi_add_handle(multi_, handle_) != CURLM_OK)
            return FtpResult::Fail("libcurl could not start the request");
        int running = 1;
        bool finished = false;
        while (!finished) {
            if (curl_multi_perform(multi_, &running) != CURLM_OK) {
                code = CURLE_FAILED_INIT;
                break;
            }
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
                if (msg->msg == CURLMSG_DONE) {
                    code = msg->data.result;
                    finished = true;
                }
            }
            if (finished || running == 0) break;
            if (SystemClock().MonotonicMs() - lastActivity_ > settings_.timeoutMs) {
                timedOut_ = true;
                break;
            }
            curl_multi_poll(multi_, nullptr, 0, kSliceMs, nullptr);
        }
        curl_multi_remove_handle(multi_, handle_);
        if (timedOut_ || code == CURLE_OPERATION_TIMEDOUT)
            return FtpResult::Fail("no answer within " + std::to_string(settings_.timeoutMs) +
                                   " ms");
        if (code == CURLE_OK) return FtpResult::Ok();
        // The server's own refusal says most; otherwise libcurl's reason.
        if (lastReply_.size() >= 3 && (lastReply_[0] == '4' || lastReply_[0] == '5'))
            return FtpResult::Fail(lastReply_);
        return FtpResult::Fail(errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(code));
    }

    static int Debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        auto* c = static_cast<CurlConnection*>(self);
        if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT || type == CURLINFO_DATA_IN ||
            type == CURLINFO_DATA_OUT)
            c->lastActivity_ = SystemClock().MonotonicMs();
        if (type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT) return 0;
        std::string text(data, size);
        size_t i = 0;
        while (i < text.size()) {
            size_t j = text.find('\n', i);
            if (j == std::string::npos) j = text.size();
            std::string line = text.substr(i, j - i);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            i = j + 1;
            if (line.empty()) continue;
            if (type == CURLINFO_HEADER_IN) {
                c->lastReply_ = FromWire(line);
                // The final line of the reply to our own command.
                if (c->awaitingReply_ && line.size() >= 4 && line[3] == ' ') {
                    c->commandReply_ = c->lastReply_;
                    c->awaitingReply_ = false;
                }
                if (c->status_) c->status_(c->lastReply_, true);
            } else {
                c->awaitingReply_ = !c->command_.empty() && line == c->command_;
                if (!c->status_) continue;
                // The password is never shown.
                bool pass =
                    line.size() >= 4 && std::equal(line.begin(), line.begin() + 4, "PASS",
                                                   [](char a, char b) { return (a & ~0x20) == b; });
                c->status_(pass ? std::string("PASS ****") : FromWire(line), true);
            }
        }
        return 0;
    }

    static size_t ReadFile(char* buffer, size_t size, size_t n, void* self) {
        auto* c = static_cast<CurlConnection*>(self);
        c->lastActivity_ = SystemClock().MonotonicMs();
        size_t got = std::fread(buffer, 1, size * n, c->file_);
        if (got == 0 && std::ferror(c->file_)) return CURL_READFUNC_ABORT;
        return got;
    }

    static size_t WriteFile(char* data, size_t size, size_t n, void* self) {
        auto* c = static_cast<CurlConnection*>(self);
        c->lastActivity_ = SystemClock().MonotonicMs();
        return std::fwrite(data, 1, size * n, c->file_);
    }

    // Splits the listing into lines as it arrives: only an unfinished line is
    // kept as text. Past a bound the transfer stops (0 is libcurl's abort).
    static size_t WriteText(char* data, size_t size, size_t n, void* self) {
        auto* c = static_cast<CurlConnection*>(self);
        c->lastActivity_ = SystemClock().MonotonicMs();
        c->listingBytes_ += static_cast<int64_t>(size * n);
        if (c->listingBytes_ > c->settings_.maxListingBytes) {
            c->listingTooLong_ = "the listing goes past its bound of " +
                                 std::to_string(c->settings_.maxListingBytes) +
                                 " bytes (raise the listing limit, or list a smaller folder)";
            return 0;
        }
        std::string_view chunk(data, size * n);
        for (size_t end; (end = chunk.find('\n')) != std::string_view::npos;) {
            bool kept = true;
            if (c->text_.empty()) {
                kept = c->TakeLine(chunk.substr(0, end));
            } else {
                c->text_.append(chunk.substr(0, end));
                kept = c->TakeLine(c->text_);
                c->text_.clear();
            }
            if (!kept) return 0;
            chunk.remove_prefix(end + 1);
        }
        c->text_.append(chunk);
        return size * n;
    }

    static constexpr int kSliceMs = 20;

    FtpSettings settings_;
    FtpStatusFn status_;
    CURLM* multi_;
    CURL* handle_;
    std::string base_;  // "ftp://host:port/"
    std::string cwd_ = "/";
    bool mlsd_ = true;
    std::string lastReply_;
    std::string command_;       // the command of Command() under way
    std::string commandReply_;  // and the server's answer to it
    bool awaitingReply_ = false;
    bool timedOut_ = false;
    int64_t lastActivity_ = 0;
    std::FILE* file_ = nullptr;
    std::string text_;               // the unfinished line of a listing
    FtpListing* listing_ = nullptr;  // the listing under way
    int64_t listingBytes_ = 0;       // and its bytes so far
    std::string listingTooLong_;     // why it stopped at a bound
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace

FtpResult OpenFtpConnection(const FtpSettings& settings, const FtpStatusFn& status,
                            std::unique_ptr<FtpConnection>& connection) {
    connection.reset();
    auto c = std::make_unique<CurlConnection>(settings, status);
    FtpResult r = c->Login();
    if (r.ok) connection = std::move(c);
    return r;
}

std::string FtpClientVersion() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    return std::string("libcurl ") + (info && info->version ? info->version : "");
}

}  // namespace krv::platform
