#include "support/ftp_control.h"

#include "platform/ftp.h"
#include "platform/ftp_text.h"
#include "support/cp1250.h"
#include "support/tdttools.h"

namespace krv {

namespace {

std::string Pl(std::string_view utf8) { return Utf8ToCp1250(utf8); }

// A name for a message: CR, LF and NUL shown as \r, \n and \0.
std::string Shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == 0)
            out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\0";
        else
            out += c;
    }
    return out;
}

}  // namespace

TFTPControl::TFTPControl() = default;

TFTPControl::~TFTPControl() {
    try {
        Disconnect();
    } catch (...) {
        // A status callback that throws must not escape a destructor.
    }
}

std::string TFTPControl::Server() const {
    bool v6 = host_.find(':') != std::string::npos;
    return (v6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(port_);
}

std::string TFTPControl::Masked(std::string text) const {
    // The clients never report the password (the login command is shown
    // masked); this is the second guard. Shorter passwords would mask
    // ordinary words.
    if (password_.size() < 3) return text;
    for (size_t at = text.find(password_); at != std::string::npos;
         at = text.find(password_, at + 4))
        text.replace(at, password_.size(), "****");
    return text;
}

void TFTPControl::Status(const std::string& text, bool detail) const {
    if (reportLevel_ == 0 || !status_ || (detail && reportLevel_ < 2)) return;
    status_(Masked(text));
}

void TFTPControl::Fail(const std::string& operation, const std::string& reason) const {
    throw EFtpError(
        Masked("FTP " + Server() + ": " + operation + Pl(" nie powiodło się: ") + reason));
}

void TFTPControl::RefuseUnsafe(const char* call, const std::string& operation,
                               const std::string& what, const std::string& text) const {
    size_t at = platform::FtpUnsafeAt(text);
    if (at == std::string::npos) return;
    Fail(operation, std::string(call) + ": " + what + Pl(" zawiera znak ") +
                        platform::FtpByteName(text[at]) +
                        Pl(", którego nie przeniesie żadne polecenie FTP; nic nie wysłano do "
                           "serwera, popraw nazwę"));
}

platform::FtpConnection& TFTPControl::Connection(const std::string& operation) {
    if (!connection_) Fail(operation, Pl("brak połączenia z serwerem (najpierw Connect)"));
    return *connection_;
}

void TFTPControl::Connect() {
    Disconnect();
    std::string op = Pl("logowanie jako ") + Shown(user_);
    RefuseUnsafe("Connect", op, Pl("nazwa serwera"), host_);
    RefuseUnsafe("Connect", op, Pl("nazwa użytkownika"), user_);
    RefuseUnsafe("Connect", op, Pl("hasło"), password_);
    platform::FtpSettings settings;
    settings.host = host_;
    settings.port = port_;
    settings.user = user_;
    settings.password = password_;
    settings.timeoutMs = timeoutMs_;
    settings.passive = passive_;
    settings.maxListingBytes = listingBytes_;
    settings.maxListingEntries = listingEntries_;
    Status(Pl("Łączenie z ") + Server(), false);
    platform::FtpResult r = platform::OpenFtpConnection(
        settings, [this](const std::string& text, bool detail) { Status(text, detail); },
        connection_);
    if (!r.ok) Fail(op, r.error);
    Status(Pl("Połączono z ") + Server(), false);
}

void TFTPControl::Disconnect() {
    if (!connection_) return;
    Status(Pl("Rozłączanie"), false);
    connection_.reset();
    Status(Pl("Rozłączono"), false);
}

void TFTPControl::Upload(const std::string& localFile, const std::string& remoteFile) {
    std::string op = Pl("wysłanie pliku ") + Shown(localFile) + " jako " + Shown(remoteFile);
    RefuseUnsafe("Upload", op, Pl("ścieżka pliku lokalnego"), localFile);
    RefuseUnsafe("Upload", op, Pl("nazwa pliku na serwerze"), remoteFile);
    platform::FtpConnection& c = Connection(op);
    Status(Pl("Wysyłanie ") + remoteFile, false);
    platform::FtpResult r = c.Upload(localFile, remoteFile);
    if (!r.ok) Fail(op, r.error);
    Status(Pl("Wysłano ") + remoteFile, false);
}

void TFTPControl::Download(const std::string& remoteFile, const std::string& localFile) {
    std::string op = Pl("pobranie pliku ") + Shown(remoteFile) + " do " + Shown(localFile);
    RefuseUnsafe("Download", op, Pl("nazwa pliku na serwerze"), remoteFile);
    RefuseUnsafe("Download", op, Pl("ścieżka pliku lokalnego"), localFile);
    platform::FtpConnection& c = Connection(op);
    Status(Pl("Pobieranie ") + remoteFile, false);
    platform::FtpResult r = c.Download(remoteFile, localFile);
    if (!r.ok) Fail(op, r.error);
    Status(Pl("Pobrano ") + remoteFile, false);
}

void TFTPControl::ChangeDir(const std::string& dir) {
    std::string op = Pl("zmiana folderu na ") + Shown(dir);
    RefuseUnsafe("ChangeDir", op, Pl("nazwa folderu"), dir);
    platform::FtpResult r = Connection(op).ChangeDir(dir);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::DeleteFileA(const std::string& file) {
    std::string op = Pl("usunięcie pliku ") + Shown(file);
    RefuseUnsafe("DeleteFileA", op, Pl("nazwa pliku"), file);
    platform::FtpResult r = Connection(op).DeleteRemoteFile(file);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::MakeDir(const std::string& dir) {
    std::string op = Pl("utworzenie folderu ") + Shown(dir);
    RefuseUnsafe("MakeDir", op, Pl("nazwa folderu"), dir);
    platform::FtpResult r = Connection(op).MakeDir(dir);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::RemoveDir(const std::string& dir) {
    std::string op = Pl("usunięcie folderu ") + Shown(dir);
    RefuseUnsafe("RemoveDir", op, Pl("nazwa folderu"), dir);
    platform::FtpResult r = Connection(op).RemoveDir(dir);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::RawList(platform::FtpListing& listing) {
    std::string op = Pl("odczyt listy plików");
    platform::FtpResult r = Connection(op).List(listing);
    if (!r.ok) Fail(op, r.error);
    // The clients keep to the bound; this is the second guard.
    if (static_cast<int64_t>(listing.lines.size()) > listingEntries_)
        Fail(op, Pl("lista ma więcej niż ") + std::to_string(listingEntries_) +
                     Pl(" pozycji (SetListingLimits)"));
}

std::vector<FtpListingEntry> TFTPControl::ListEntries() {
    platform::FtpListing listing;
    RawList(listing);
    ListingDate today;
    TdtTools::DecodeDate(TdtTools::Now(), today.year, today.month, today.day);
    std::vector<FtpListingEntry> entries;
    for (const std::string& line : listing.lines) {
        if (listing_) listing_(line);
        auto e = listing.style == platform::FtpListing::Style::kMachine
                     ? ParseMlsdLine(line)
                     : ParseListLine(line, today);
        if (e) entries.push_back(std::move(*e));
    }
    return entries;
}

void TFTPControl::List(std::vector<std::string>* lines) {
    platform::FtpListing listing;
    RawList(listing);
    for (const std::string& line : listing.lines) {
        if (listing_) listing_(line);
        if (lines) lines->push_back(line);
    }
}

void TFTPControl::List(std::vector<std::string>* files, std::vector<std::string>* dirs) {
    for (FtpListingEntry& e : ListEntries()) {
        if (e.kind == FtpListingEntry::Kind::kFile && files) files->push_back(std::move(e.name));
        if (e.kind == FtpListingEntry::Kind::kDirectory && dirs) dirs->push_back(std::move(e.name));
    }
}

std::unique_ptr<TFTPListingItems> TFTPControl::ListAndParse() {
    auto items = std::make_unique<TFTPListingItems>();
    for (const FtpListingEntry& e : ListEntries())
        items->AddFile(e.name, e.permissions, e.size, e.modified);
    return items;
}

bool TFTPControl::FileExists(const std::string& name) {
    std::vector<std::string> files;
    List(&files, nullptr);
    for (const std::string& f : files)
        if (SameName(f, name)) return true;
    return false;
}

bool TFTPControl::DirExists(const std::string& name) {
    std::vector<std::string> dirs;
    List(nullptr, &dirs);
    for (const std::string& d : dirs)
        if (SameName(d, name)) return true;
    return false;
}

std::string TFTPControl::GetFTPControlVersionInfo() { return platform::FtpClientVersion(); }

}  // namespace krv
