#include "support/errorlog.h"

namespace krv {

TErrorLog::TErrorLog(const std::string& path) {
    file_.SetPath(path);
    file_.Open();
    file_.SetPointer(0);
    file_.SetEof();
}

void TErrorLog::Add(const std::string& text) {
    file_.WriteLine(text, "\r\n");
    ++count_;
}

void TErrorLog::GotoFirst() { file_.SetPointer(0); }

bool TErrorLog::GetFirst(std::string& line) {
    GotoFirst();
    return GetNext(line);
}

bool TErrorLog::GetNext(std::string& line) { return !file_.ReadLine(line, "\r\n"); }

}  // namespace krv
