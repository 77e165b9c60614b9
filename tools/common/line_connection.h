// A TCP connection that exchanges text lines ending with LF, with a time-out on
// every wait.
#pragma once

#include <string>
#include <string_view>

#include "os.h"

namespace krv::tools {

class LineConnection {
  public:
    explicit LineConnection(Socket socket, size_t max_line = 8192)
        : socket_(std::move(socket)), max_line_(max_line) {}

    // Reads one line without its LF (and without a CR before it). Partial input
    // stays buffered, so a caller may wait in short slices. A line longer than
    // max_line gives kError.
    IoResult ReadLine(int timeout_ms, std::string* line);

    // Sends text as it is (the caller adds the LF).
    IoResult Write(std::string_view text, int timeout_ms) {
        return SendAll(socket_, text, timeout_ms);
    }

    void Close() { socket_.Close(); }

  private:
    Socket socket_;
    size_t max_line_;
    std::string buffer_;
};

}  // namespace krv::tools
