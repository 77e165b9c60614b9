#include "support/ftp_control.h"

#include "platform/ftp.h"
#include "support/cp1250.h"
#include "support/tdttools.h"

namespace krv {

namespace {

std::string Pl(std::string_view utf8) { return Utf8ToCp1250(utf8); }

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

platform::FtpConnection& TFTPControl::Connection(const std::string& operation) {
    if (!connection_) Fail(operation, Pl("brak połączenia z serwerem (najpierw Connect)"));
    return *connection_;
}

void TFTPControl::Connect() {
    Disconnect();
    platform::FtpSettings settings;
    settings.host = host_;
    settings.port = port_;
    settings.user = user_;
    settings.password = password_;
    settings.timeoutMs = timeoutMs_;
    settings.passive = passive_;
    Status(Pl("Łączenie z ") + Server(), false);
    platform::FtpResult r = platform::OpenFtpConnection(
        settings, [this](const std::string& text, bool detail) { Status(text, detail); },
        connection_);
    if (!r.ok) Fail(Pl("logowanie jako ") + user_, r.error);
    Status(Pl("Połączono z ") + Server(), false);
}

void TFTPControl::Disconnect() {
    if (!connection_) return;
    Status(Pl("Rozłączanie"), false);
    connection_.reset();
    Status(Pl("Rozłączono"), false);
}

void TFTPControl::Upload(const std::string& localFile, const std::string& remoteFile) {
    std::string op = Pl("wysłanie pliku ") + localFile + " jako " + remoteFile;
    platform::FtpConnection& c = Connection(op);
    Status(Pl("Wysyłanie ") + remoteFile, false);
    platform::FtpResult r = c.Upload(localFile, remoteFile);
    if (!r.ok) Fail(op, r.error);
    Status(Pl("Wysłano ") + remoteFile, false);
}

void TFTPControl::Download(const std::string& remoteFile, const std::string& localFile) {
    std::string op = Pl("pobranie pliku ") + remoteFile + " do " + localFile;
    platform::FtpConnection& c = Connection(op);
    Status(Pl("Pobieranie ") + remoteFile, false);
    platform::FtpResult r = c.Download(remoteFile, localFile);
    if (!r.ok) Fail(op, r.error);
    Status(Pl("Pobrano ") + remoteFile, false);
}

void TFTPControl::ChangeDir(const std::string& dir) {
    std::string op = Pl("zmiana folderu na ") + dir;
    platform::FtpResult r = Connection(op).ChangeDir(dir);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::DeleteFileA(const std::string& file) {
    std::string op = Pl("usunięcie pliku ") + file;
    platform::FtpResult r = Connection(op).DeleteRemoteFile(file);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::MakeDir(const std::string& dir) {
    std::string op = Pl("utworzenie folderu ") + dir;
    platform::FtpResult r = Connection(op).MakeDir(dir);
    if (!r.ok) Fail(op, r.error);
}

void TFTPControl::RemoveDir(const std::string& dir) {
    std::string op = Pl("usunięcie folderu ") + dir;
    platform::FtpResult r = Connection(op).RemoveDir(dir);
    if (!r.ok) Fail(op, r.error);
}

std::vector<FtpListingEntry> TFTPControl::ListEntries() {
    std::string op = Pl("odczyt listy plików");
    platform::FtpListing listing;
    platform::FtpResult r = Connection(op).List(listing);
    if (!r.ok) Fail(op, r.error);
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
    std::string op = Pl("odczyt listy plików");
    platform::FtpListing listing;
    platform::FtpResult r = Connection(op).List(listing);
    if (!r.ok) Fail(op, r.error);
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
