// KSAction: the action base of devices that exchange data with the host
// through files in the exchange directory. It adds the fixed exchange file
// names, a wait for a file with a countdown in the host's window, the counts
// of an export, the collection and report of rejected goods and warnings, an
// unattended stand-in for message boxes, and VAT numbers from the rate mapping.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "action/action_base.h"

namespace krv {

class KSExpBuf;
class KSImpBuf;
class TLTools;
class TErrorLog;

class KSAction : public TKSActionBase {
  public:
    KSAction(TKSLibrary* library, void* device);
    ~KSAction() override;

    // --- virtual operations new here, in slot order ---
    virtual void FlushErrorLog(const std::string& header);
    virtual std::string FNameLOG() const;
    // Shows nothing: notes caption and text among the rejected goods and
    // answers what a user would answer by default. Never the Windows macro:
    // no Windows header is seen by this file.
    virtual int32_t MessageBoxA(const std::string& text, const std::string& caption, int32_t flags);

    // --- exchange file names: the exchange directory and a fixed name ---
    std::string FNameIMP() const;
    std::string FNameEXP() const;
    std::string FNameKEXP() const;
    std::string FNameWEXP() const;
    std::string FNameKIMP() const;
    std::string FNameKTMP() const;
    std::string FNamePAR() const;
    std::string FNamePARC() const;
    std::string FNameKARC() const;
    std::string FNameKEARC() const;

    // Results of WaitForFileState.
    static constexpr int32_t kWaitDone = 1;      // the file reached the wanted state
    static constexpr int32_t kWaitAborted = 0;   // the user interrupted
    static constexpr int32_t kWaitTimeOut = -1;  // the time ran out
    static constexpr int32_t kWaitGivenUp = -2;  // the caller's `giveUp` said so

    // Waits until the file exists (or, with `absence`, until it does not).
    // Once a second it asks the host whether to interrupt and shows the
    // remaining seconds (with no time-out: the seconds so far) in the status
    // column of the last message; between those it wakes on the directory's
    // change notification and looks at the file at least every few tens of
    // milliseconds, so the wait ends as soon as the file is there.
    // A file already in the wanted state returns at once, with no message.
    // `giveUp`, when given, is asked as often as the file is looked at; a true
    // answer ends the wait with kWaitGivenUp.
    int32_t WaitForFileState(const std::string& path, bool absence, int32_t timeout,
                             const std::function<bool()>& giveUp = {});

    // Adds one to the counter and shows it with MsgP: every value up to 30,
    // every 10th up to 200, then every 25th.
    void Progress(int32_t& counter);
    // The status counts of the export buffer, each non-zero one (all with
    // `all`) as its own line.
    void ShowTowInfo(bool all);
    // The short (8.3) form of the path, at most 260 characters.
    std::string ShortenPathName(const std::string& path) const;
    void SetErrorLog(const std::string& line);
    // Into the log when one is given, otherwise shown at once as a warning.
    void AddWarning(const std::string& text, TErrorLog* log);
    // The count of the log's lines and at most 20 of them.
    void LogWarnings(TErrorLog* log, const std::string& prefix, const std::string& suffix,
                     int32_t state);
    // Shows the rejected goods and the warnings and appends the rejected goods
    // to the log file, at most once per action and only when enabled.
    void LogujOdrzuconePrzyEksporcie();
    // The position of a rate in the device's VAT ordering. NumerStawki
    // answers -2 for a rate that is not mapped; NumerStawkiPrec throws.
    int32_t NumerStawki(int32_t rate);
    int32_t NumerStawkiPrec(int32_t rate);
    // The sales total of the import buffer (the action's own when null) as
    // a plain line of the operation window, in zloty; nothing without a
    // buffer.
    void ShowTotalValue(const KSImpBuf* buffer = nullptr);

    // A translated text that is used as a printf format: the host's text only
    // when its conversions are exactly those of the default, so that a
    // careless translation can never read the wrong argument.
    static std::string TrFormat(const TMLgExtTools* lg, std::string_view section,
                                std::string_view key, std::string_view defaultUtf8);

    // --- state for derived actions ---
    std::string tekst;           // the derived action's text buffer
    KSExpBuf* expBuf = nullptr;  // created and destroyed by derived actions
    KSImpBuf* impBuf = nullptr;  // the sales import's buffer of a register driver
    TLTools& Tools() { return *tools_; }
    std::vector<std::string>& Ostrzezenia() { return warnings_; }
    std::vector<std::string>& Odrzucone() { return rejected_; }
    bool flaga = false;  // the derived action's flag

    // The rejected-goods report: made at most once; off unless a derived
    // action switches it on.
    bool raportZrobiony = false;
    bool raportWlaczony = false;

  private:
    std::unique_ptr<TLTools> tools_;
    std::vector<std::string> warnings_;
    std::vector<std::string> rejected_;
    // Last rate asked and the number found, per action: an answer never comes
    // from another action's mapping.
    int32_t lastRate_ = 9999;
    int32_t lastNumber_ = -2;
    int32_t lastRatePrec_ = 9999;
    int32_t lastNumberPrec_ = -2;
};

}  // namespace krv
