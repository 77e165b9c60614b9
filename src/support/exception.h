// The library's exceptions. Every message is Windows-1250. Any std::exception
// counts as an Exception at the exported boundary; anything else is an
// unrecognised failure.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace krv {

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }

  private:
    std::string message_;
};

// The silent abort: the user asked to interrupt.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// A text that should have been a number, a date or a flag.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A file could not be opened, read or written.
class EFileError : public Exception {
  public:
    using Exception::Exception;
};

// The support package's exception: a list of numbered topics.
class EMException : public Exception {
  public:
    struct Topic {
        int code = 0;
        std::string title;
        std::string description;
        int GetCode() const { return code; }
        const std::string& GetTitle() const { return title; }
        const std::string& GetDescription() const { return description; }
    };

    EMException(int code, std::string title, std::string description)
        : Exception(title + (description.empty() ? "" : ": " + description)) {
        topics_.push_back({code, std::move(title), std::move(description)});
    }
    void AddTopic(int code, std::string title, std::string description) {
        topics_.push_back({code, std::move(title), std::move(description)});
    }
    int GetTopicCount() const { return static_cast<int>(topics_.size()); }
    const Topic& GetTopics(int index) const { return topics_.at(static_cast<size_t>(index)); }

    // Language of the package's own texts, set by the host.
    static inline int Language = 0;

  private:
    std::vector<Topic> topics_;
};

}  // namespace krv
