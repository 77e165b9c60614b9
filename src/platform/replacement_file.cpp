// Whole files written through a temporary name, on the primitives of the
// system's own files.cpp (the single seam for file operations).
#include "platform/files.h"

namespace krv::platform {

std::string TemporaryPathFor(const std::string& path) { return path + ".tmp"; }

bool ReplacementFile::Open(std::string* error) {
    Discard();
    const std::string temp = TemporaryPathFor(path_);
    // A temporary file left by a run that was cut short is simply reused.
    pending_ = true;
    if (!raw_.Open(temp, RawFile::Mode::kReadWrite, error) || !raw_.Truncate(0, error)) {
        Discard();
        return false;
    }
    return true;
}

bool ReplacementFile::Commit(bool durable, std::string* error) {
    if (!pending_) {
        if (error) *error = "the file is not open";
        return false;
    }
    bool ok = raw_.IsOpen() && (!durable || raw_.Sync(error));
    ok = raw_.Close(ok ? error : nullptr) && ok;
    ok = ok && CommitReplacement(TemporaryPathFor(path_), path_, durable, error);
    if (!ok) {
        Discard();
        return false;
    }
    pending_ = false;
    return true;
}

void ReplacementFile::Discard() {
    raw_.Close();
    if (pending_) RemoveFile(TemporaryPathFor(path_));
    pending_ = false;
}

}  // namespace krv::platform
