#include "digi_run.h"

#include <cerrno>
#include <optional>

#include "codepage.h"
#include "digi_record.h"
#include "digi_transfer.h"
#include "error_codes.h"
#include "files.h"
#include "record_check.h"
#include "settings.h"
#include "support/cp1250.h"
#include "text.h"

namespace krv::smeth {
namespace {

struct Item {
    DigiOutgoing out;
    int lacking = 0;
};

// The numbered sections of wagi.ini, in file order.
std::vector<ScaleEntry> Scales(const IniFile& ini) {
    std::vector<ScaleEntry> scales;
    for (const std::string& section : ini.Sections()) {
        if (!AllDigits(section) || section.size() > 3) continue;
        scales.push_back(ReadScale(ini, std::stoi(section)));
    }
    return scales;
}

ErrorLine Line(const ScaleEntry& scale, int line, const std::string& plu, int code,
               const std::string& text) {
    return {scale.name, scale.address, line, plu, std::to_string(code), text};
}

std::string LackingText(int count, const tools::CodePage& page) {
    return Cp("Ostrzeżenie: znaków spoza strony kodowej ") + page.Name() + ": " +
           std::to_string(count) + Cp(", wysłano je jako '?'");
}

std::string DumpHeader(const ScaleEntry& scale, const ScaleAddress& a,
                       const tools::CodePage& page) {
    return "# scale " + scale.name + " at " + a.host + " port " + std::to_string(a.port) +
           ", code page " + page.Name() + "\n";
}

}  // namespace

void TransferDigi(const std::string& input_path, const LocalSettings& settings, int timeout_ms,
                  const std::string& dump_path, Job* job) {
    std::optional<std::string> wagi = tools::ReadWholeFile("wagi.ini");
    if (!wagi) {
        job->RunError(kSetupScale, ReadFailure(Cp("Brak pliku wagi.ini w katalogu programu"),
                                               "wagi.ini", errno));
        return;
    }
    std::vector<ScaleEntry> scales = Scales(IniFile::Parse(*wagi));
    if (scales.empty()) {
        job->RunError(kSetupScale,
                      Cp("Plik wagi.ini nie opisuje żadnej wagi (sekcje [1], [2]...)"));
        return;
    }
    job->SetScale(scales[0].name, scales[0].address);
    std::optional<tools::CodePage> page = tools::CodePage::Named(settings.codepage);
    if (!page) {
        job->RunError(kSetupCodepage, Cp("Nieobsługiwana strona kodowa wagi w sm_eth.cfg: ") +
                                          settings.codepage + Cp(" (obsługiwane: ") +
                                          tools::CodePage::KnownNames() + ")");
        return;
    }
    std::optional<std::string> data =
        input_path.empty() ? std::nullopt : tools::ReadWholeFile(input_path);
    if (!data) {
        job->RunError(kInputMissing,
                      ReadFailure(Cp("Brak pliku z danymi: ") + Utf8ToCp1250(input_path),
                                  Cp("z danymi ") + Utf8ToCp1250(input_path), errno));
        return;
    }
    if (data->empty()) {
        job->RunError(kInputEmpty, Cp("Plik z danymi jest pusty: ") + Utf8ToCp1250(input_path));
        return;
    }

    std::vector<Item> items;
    for (const InputLine& line : SplitInput(*data)) {
        if (std::optional<RecordFault> fault = CheckLine(line)) {
            job->LineError(line.number, PluNumberOf(line.text), std::to_string(fault->code),
                           fault->text);
            continue;
        }
        DigiFrame frame = DigiFrameOf(line.text, *page, settings);
        items.push_back(
            {{line.number, PluNumberOf(line.text), std::move(frame.bytes)}, frame.lacking});
    }
    if (items.empty() && dump_path.empty()) return;
    std::vector<DigiOutgoing> frames;
    for (const Item& item : items) frames.push_back(item.out);

    std::string dump;
    for (const ScaleEntry& scale : scales) {
        std::optional<ScaleAddress> address = ParseDigiAddress(scale.address);
        if (!address) {
            job->Add(Line(scale, 0, "", kSetupAddress,
                          Cp("Nieprawidłowy adres wagi: '") + scale.address +
                              Cp("' (adres IPv4, albo adres:port)")));
            continue;
        }
        for (const Item& item : items)
            if (item.lacking > 0)
                job->Add(Line(scale, item.out.line, item.out.plu, kDigiLackingChars,
                              LackingText(item.lacking, *page)));
        if (!dump_path.empty()) {
            dump += DumpHeader(scale, *address, *page);
            for (const DigiOutgoing& f : frames)
                dump += "PLU " + f.plu + " line " + std::to_string(f.line) + ": " +
                        tools::digi::Hex(f.frame) + "\n";
            continue;
        }
        if (frames.empty()) continue;
        DigiResult result =
            SendDigiFrames(*address, frames, timeout_ms, settings.tries, job->Log());
        for (const DigiFault& f : result.faults)
            job->Add(Line(scale, f.line, f.plu, f.code, f.text));
    }
    if (!dump_path.empty() && !tools::WriteWholeFile(dump_path, dump))
        job->RunError(kDumpFailed, Cp("Nie można zapisać pliku ") + Utf8ToCp1250(dump_path));
}

}  // namespace krv::smeth
