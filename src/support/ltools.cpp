#include "support/ltools.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/registry.h"
#include "support/exception.h"
#include "support/line_reader.h"
#include "support/mfile.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

namespace {

const char* const kSection = "kstools_LTools";

// The directory part of a path, with its separator ("" when there is none).
// Both separators are accepted: the host writes '\' on Windows.
size_t NameStart(const std::string& path) {
    size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? 0 : at + 1;
}

std::string ExportKindLine(const TMLgExtTools* lg, int kind) {
    switch (kind) {
        case 0: return Tr(lg, kSection, "sArchiveFto_fileWriteLin", "OTWARTA ZM. FISK.");
        case 1: return Tr(lg, kSection, "sArchiveFto_fileWriteLin_00001", "ZAMKNIETA ZM. FISK.");
        case 2: return Tr(lg, kSection, "sArchiveFto_fileWriteLin_00002", "WSZYSTKIE");
        case 3: return Tr(lg, kSection, "sArchiveFto_fileWriteLin_00003", "ZMIANA LISTY");
        default: return {};
    }
}

}  // namespace

void TLTools::ArchiveFile(const std::string& source, const std::string& archive,
                          const TMLgExtTools* lg, bool isExport, int exportKind, bool writeHeader,
                          const std::string& extraLine,
                          const std::function<void(std::string_view)>& eachLine) {
    // Only a goods file that is not there goes without its archive copy; one
    // the system cannot examine must not be taken for it.
    std::string reason;
    switch (platform::ProbeFile(source, &reason)) {
        case platform::FileProbe::kAbsent: return;
        case platform::FileProbe::kUnknown:
            throw EFileError(
                Tr(lg, kSection, "sArchiveFileExceptioStat", "Nie można sprawdzić pliku ") +
                source + ": " + reason);
        case platform::FileProbe::kFile: break;
    }
    // Both files stream through large chunks: a goods file of any size is
    // archived in the same little memory.
    LineReader in;
    in.Open(source);
    // The archive keeps every goods file the host ever sent: it must survive
    // a power cut, and a run cut short must not spoil the entries before it.
    ChunkedWriter out(archive, true);
    out.SetDurable(true);
    out.SetFreshLine(true);
    std::string& text = out.Buffer();

    if (writeHeader) {
        std::string now = TdtTools(TdtTools::Now()).ToString(TdtTools::kDateTime);
        if (isExport) {
            text += Tr(lg, kSection, "oolsArchiveFlineAnsiStri",
                       "\r\n----------- [EKSPORT WYKONANY DNIA: ") +
                    now + "] ------------\r\n";
            std::string kind = ExportKindLine(lg, exportKind);  // none for other kinds
            if (!kind.empty()) text += kind + "\r\n";
        } else {
            text += Tr(lg, kSection, "oolsArchiveFlineAnsiStri_00001",
                       "\r\n------------ [IMPORT WYKONANY DNIA: ") +
                    now + "] ------------\r\n";
        }
    }
    if (!extraLine.empty()) text += extraLine + "\r\n";

    std::string_view line;
    while (in.Next(line)) {
        if (eachLine) eachLine(line);
        text.append(line);
        text.append("\r\n", 2);
        out.Written();
    }
    out.Close(true);
    in.Close();
}

void TLTools::ArchiveFileUpdateFileNames(const std::string& path) {
    size_t start = NameStart(path);
    std::string dir = path.substr(0, start);
    std::string name = path.substr(start);
    size_t dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);

    std::vector<std::string> names;
    for (const auto& entry : platform::FindEntries(dir + base + "_*." + ext))
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    // From the highest number down, so that no rename meets an existing name.
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        // The number follows the base and its "_" (the base may hold "_"
        // itself, so the first "_" of the name is not the place to look).
        if (it->size() < base.size() + 1) continue;
        auto number = TryStrToInt(std::string_view(*it).substr(base.size() + 1, 4));
        if (!number) continue;
        platform::RenameFile(dir + *it,
                             dir + Format("%s_%04d.%s", base.c_str(), *number + 1, ext.c_str()));
    }
}

void TLTools::BufToFile(std::string_view buffer, const std::string& path) {
    // Whole or not at all: other programs read these files.
    TMFile file;
    file.SetPath(path);
    file.OpenReplacement();
    file.Write(buffer);
    file.Commit();
}

void TLTools::BufToAppendFile(std::string_view buffer, const std::string& path) {
    TMFile file;
    file.SetPath(path);
    file.Open();
    file.SetPointer(file.GetSize());
    file.Write(buffer);
    file.Close();
}

void TLTools::BufToFileEx(std::string_view buffer, const std::string& path,
                          const std::string& tempPath, const TMLgExtTools* lg, bool append) {
    if (!append) {
        BufToFile(buffer, tempPath);
    } else {
        if (platform::FileExists(path)) RenFile(path, tempPath, lg);
        BufToAppendFile(buffer, tempPath);
    }
    RenFile(tempPath, path, lg);
}

void TLTools::RenFile(const std::string& oldPath, const std::string& newPath,
                      const TMLgExtTools* lg) {
    // A file is replaced in one step (no moment without it); only a folder
    // in the way has to go first, and cannot.
    if (platform::DirectoryExists(newPath) && !platform::RemoveFile(newPath))
        throw Exception(Tr(lg, kSection, "sRenFileExceptioAnsiStri", "Błąd usunięcia pliku ") +
                        newPath);
    if (!platform::CommitReplacement(oldPath, newPath, false, nullptr))
        throw Exception(
            Tr(lg, kSection, "sRenFileExceptioAnsiStri_00001", "Błąd zmiany nazwy pliku") +
            newPath);
}

bool TLTools::IsFile(const std::string& pattern) {
    for (const auto& entry : platform::FindEntries(pattern))
        if (!entry.directory && !entry.hidden && !entry.system) return true;
    return false;
}

void TLTools::SaveListToFile(const std::vector<std::string>* list, const std::string& path) {
    if (!list) return;
    TMFile file;
    file.SetPath(path);
    file.OpenReplacement();
    for (const std::string& line : *list) file.WriteLine(line, "\r\n");
    file.Commit();
}

std::string TLTools::GetDirShortPath(const std::string& path) {
    std::string shortPath = platform::ShortPathName(path);
    return shortPath.empty() ? "0" : shortPath;
}

std::string TLTools::WczytajSciezkeDoBinariow() {
    std::string dir = Trim(
        platform::ReadLocalMachineString("SOFTWARE\\Merkaton\\Merkaton\\Instalacja", "Binaria"));
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

}  // namespace krv
