// The operation window in the terminal. The library adds lines
// (KRV_CB_ADD_MESSAGE) and replaces the last one (KRV_CB_CHANGE_LAST_MESSAGE);
// a line may carry a status column after KRV_STATUS_SEPARATOR. On a terminal
// a running line is updated in place with a carriage return and kinds are
// coloured; elsewhere every change is a plain line of its own. Warnings and
// errors always carry a "WARN:" or "ERROR:" marker, so that logs and scripts
// can find them.
#pragma once

#include <cstdio>
#include <string>

namespace krv::host {

class OperationWindow {
  public:
    OperationWindow(std::FILE* out, bool terminal, bool colours)
        : out_(out), terminal_(terminal), colours_(colours) {}

    // kind: KRV_MSG_ORDINARY, KRV_MSG_WARNING or KRV_MSG_ERROR; text in UTF-8.
    void Add(int kind, const std::string& text);
    void Replace(int kind, const std::string& text);
    // A line of krvhost's own (not from the library).
    void Note(const std::string& text);
    // Ends a line left open for in-place updates.
    void Finish();

    int Warnings() const { return warnings_; }
    int Errors() const { return errors_; }

    // The line as shown, without colours (for logs and tests).
    static std::string Render(int kind, const std::string& text);

    // Column at which the status column starts.
    static constexpr size_t kStatusColumn = 52;

  private:
    std::string Show(int kind, const std::string& text) const;
    void Count(int kind);

    std::FILE* out_;
    bool terminal_;
    bool colours_;
    bool open_ = false;  // the last line has no line end yet (terminal)
    std::string last_;   // the last line written (plain output)
    int last_kind_ = -1;
    int warnings_ = 0;
    int errors_ = 0;
};

}  // namespace krv::host
