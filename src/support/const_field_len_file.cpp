#include "support/const_field_len_file.h"

#include <locale>
#include <sstream>

#include "platform/ui.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/txftools.h"

namespace krv {

namespace {

constexpr size_t kLineBuffer = 1024;
constexpr int32_t kWarningBox = 0x30;  // MB_OK | MB_ICONWARNING

// Standard stream extraction, independent of the process locale.
template <typename T>
T Extract(const std::string& text) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    T value{};
    in >> value;
    return in.fail() ? T{} : value;
}

}  // namespace

void ConstFieldLenFile::AddField(size_t start, size_t length) {
    if (fields_.size() >= kMaxFields)
        throw Exception(Utf8ToCp1250("ConstFieldLenFile: za dużo pól (najwyżej " +
                                     std::to_string(kMaxFields) + ")"));
    fields_.push_back({start, length});
    totalLength_ += length;
    if (totalLength_ >= kLineBuffer) {
        platform::ShowMessageBox(
            Utf8ToCp1250(
                "Rozmiar linii zgłaszany klasie ConstFieldLenFile\r\nprzekracza rozmiar bufora!"),
            "Uwaga!!!", kWarningBox);
    }
}

bool ConstFieldLenFile::ReadRawLine() {
    line_.clear();
    // The stream's current buffer (a caller may have given it another one).
    std::streambuf* buf = std::ios::rdbuf();
    if (!good() || buf == nullptr) {
        setstate(std::ios::failbit);
        return false;
    }
    using Traits = std::char_traits<char>;
    bool any = false;
    for (;;) {
        Traits::int_type c = buf->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
            return any;
        }
        any = true;
        char ch = Traits::to_char_type(c);
        if (ch == '\n') return true;
        if (ch == '\r') {
            if (Traits::eq_int_type(buf->sgetc(), Traits::to_int_type('\n'))) buf->sbumpc();
            return true;
        }
        // A longer line keeps its first kMaxLine characters; the rest is
        // skipped so that the next read starts at the next line.
        if (line_.size() < kMaxLine) line_ += ch;
    }
}

bool ConstFieldLenFile::getln() {
    for (;;) {
        if (!ReadRawLine()) return false;
        if (!skipShortLines_ || line_.size() >= totalLength_) break;
    }
    if (!validFieldsKnown_) {
        validFieldsKnown_ = true;
        if (line_.size() >= totalLength_) {
            validFields_ = fields_.size();
        } else {
            validFields_ = 0;
            while (validFields_ < fields_.size() && fields_[validFields_].start < line_.size())
                ++validFields_;
        }
    }
    return true;
}

bool ConstFieldLenFile::NextField(std::string& text) {
    text.clear();
    if (fields_.empty()) return false;
    if (nextField_ == 0 && !getln()) line_.clear();
    const Field& f = fields_[nextField_];
    if (f.start >= line_.size()) {
        nextField_ = 0;
        return false;
    }
    text = line_.substr(f.start, f.length);
    // With no valid field (a first line shorter than every start) each read
    // still takes the first field of a new line.
    size_t valid = validFields_ == 0 ? 1 : validFields_;
    nextField_ = (nextField_ + 1) % valid;
    return true;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(int& value) {
    std::string text;
    value = NextField(text) ? Extract<int>(text) : 0;
    return *this;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(long double& value) {
    std::string text;
    value = NextField(text) ? Extract<long double>(text) : 0.0L;
    return *this;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(char& value) {
    std::string text;
    value = NextField(text) ? Extract<char>(text) : '\0';
    return *this;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(bool& value) {
    std::string text;
    value = false;
    if (NextField(text) && !text.empty()) {
        char last = text.back();
        value = last == '1' || last == 'T' || last == 't';
    }
    return *this;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(TxfNumber& value) {
    std::string text;
    value.value = 0.0;
    if (NextField(text)) {
        size_t dot = text.find('.');
        if (dot != std::string::npos) text.erase(dot, 1);
        value.value = TxfTools::FromString(text, static_cast<int>(text.size()), true);
    }
    return *this;
}

ConstFieldLenFile& ConstFieldLenFile::operator>>(std::string& value) {
    NextField(value);
    return *this;
}

}  // namespace krv
