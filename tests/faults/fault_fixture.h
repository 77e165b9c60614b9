// Faults of the outside world during an export, injected black-box: the
// export runs through the exported functions as the host calls it, and the
// world around it fails. A full disk and a read-only exchange folder come
// from a small tmpfs mounted over the exchange folder in a private mount
// namespace of this test program (nobody else sees it); the program that
// plays SM_eth.exe is this test program again, started through a two-line
// script so that it needs no room on that small disk.
#pragma once

#include <string>

#include "scale/scale_fixture.h"

namespace krv::test {

// What the stand-in does when started with KRV_FAULT_SM_ETH set:
//   ok        an empty error file and the semaphore
//   fill      fills its disk to the last byte first, then as ok
//   halfdie   half an error line, then dies without a semaphore
//   halfsem   half an error line, then the semaphore and exit 0
int FaultSmEth(const std::string& mode);

class FaultTest : public ScaleTest {
  protected:
    void TearDown() override;

    // Ten goods: a goods file of about 1 KB, a PLU file of about 10 KB.
    void TenGoods();
    // Puts the stand-in in place as SM_eth.exe, to act as `mode`.
    void InstallStandIn(const std::string& mode);

    // A tmpfs of `kb` kilobytes over the exchange folder; false (with the
    // reason in *why) where this machine allows no private mount.
    bool MountSmallDisk(int kb, std::string* why);
    // Fills the small disk up, leaving `freeKb` kilobytes free.
    void FillDisk(int freeKb);
    void FreeDisk();
    void SetReadOnly(bool readOnly);

    // What a failed export must leave: a failure reported, the failure text
    // naming `what`, no result for the host, no program left running.
    void ExpectCleanFailure(int32_t result, const std::string& what);
    // The next export, with the fault gone, succeeds in full.
    void ExpectNextSucceeds();

    bool mounted_ = false;
};

}  // namespace krv::test
