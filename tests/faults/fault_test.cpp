// Exports that meet a failing world: a full disk at each file the export
// writes, a read-only exchange folder, a program that leaves half an error
// file. Each must end in a clear failure, store no result, leave no program
// running, and the next export must succeed.
#include "faults/fault_fixture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#endif

namespace krv::test {

namespace {

const char* const kErrorFile = "digism.err";
const char* const kSemaphore = "semafor.imp";
const char* const kFiller = "filler.bin";
// An error line cut in the middle of its fields.
const char* const kHalfLine = "Waga1\t127.0.0.1:5001\t2\t000000";

// Writes until the disk is full; the file stays.
void FillUp(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    static const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    // What a full buffer still holds is dropped with the file's close.
    std::fclose(f);
}

#ifndef _WIN32
// The whole test program in a mount namespace of its own, once: as root
// directly, otherwise as root of a user namespace of its own.
bool PrivateMounts(std::string* why) {
    static int state = 0;  // 0 not tried, 1 done, -1 impossible
    static std::string reason;
    if (state == 0) {
        state = -1;
        bool root = geteuid() == 0;
        uid_t uid = geteuid();
        gid_t gid = getegid();
        if (unshare(root ? CLONE_NEWNS : (CLONE_NEWUSER | CLONE_NEWNS)) != 0) {
            reason = std::string("no private mount namespace: ") + std::strerror(errno);
        } else {
            if (!root) {
                WriteFile("/proc/self/setgroups", "deny");
                WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
                WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
            }
            // The type is ignored for a change of propagation (but must be readable).
            if (mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0)
                reason = std::string("cannot make the mounts private: ") + std::strerror(errno);
            else
                state = 1;
        }
    }
    if (why) *why = reason;
    return state == 1;
}
#endif

}  // namespace

int FaultSmEth(const std::string& mode) {
    WriteFile("fake.pid", std::to_string(CurrentPid()));
    if (mode == "fill") FillUp(kFiller);
    if (mode == "halfdie" || mode == "halfsem") WriteFile(kErrorFile, kHalfLine);
    if (mode == "halfdie") {
        std::fflush(nullptr);
        std::_Exit(137);  // as if killed: no semaphore
    }
    if (mode == "ok" || mode == "fill") WriteFile(kErrorFile, "");
    WriteFile(kSemaphore, "");
    return 0;
}

namespace {

bool RunFaultStandInIfAsked() {
    const char* mode = std::getenv("KRV_FAULT_SM_ETH");
    if (!mode || !*mode) return false;
    std::fflush(nullptr);
    std::_Exit(FaultSmEth(mode));
}

const bool kFaultStandInRan = RunFaultStandInIfAsked();

}  // namespace

void FaultTest::TearDown() {
    SetEnv("KRV_FAULT_SM_ETH", "");
#ifndef _WIN32
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
#endif
    ScaleTest::TearDown();
}

void FaultTest::TenGoods() {
    std::string goods;
    for (int i = 1; i <= 10; ++i)
        goods += "PLU;" + std::to_string(i) + ";0;" + std::to_string(100 + i) + ";Towar " +
                 std::to_string(i) + ";1999.60;0;0;0;23;1;T;3;F;F;F;0;;0;DOD;;;;;0\r\n";
    WriteFile(File("kasa.exp"), goods);
}

void FaultTest::InstallStandIn(const std::string& mode) {
    (void)kFaultStandInRan;
    fs::path target = File("SM_eth.exe");
    fs::remove(target);
#ifdef _WIN32
    fs::copy_file(SelfPath(), target);
#else
    // A script needs no room for a copy of this program on a small disk.
    WriteFile(target, "#!/bin/sh\nexec '" + SelfPath().string() + "' \"$@\"\n");
    fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
#endif
    SetEnv("KRV_FAULT_SM_ETH", mode);
}

bool FaultTest::MountSmallDisk(int kb, std::string* why) {
#ifdef _WIN32
    (void)kb;
    *why = "no tmpfs on Windows";
    return false;
#else
    if (!PrivateMounts(why)) return false;
    std::string options = "size=" + std::to_string(kb) + "k,mode=0777";
    if (mount("tarvisco-fault", dir_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        *why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return false;
    }
    mounted_ = true;
    return true;
#endif
}

void FaultTest::FillDisk(int freeKb) {
    FillUp(File(kFiller).string());
    if (freeKb > 0) {
        auto size = fs::file_size(File(kFiller));
        auto cut = static_cast<uintmax_t>(freeKb) * 1024;
        fs::resize_file(File(kFiller), size > cut ? size - cut : 0);
    }
}

void FaultTest::FreeDisk() {
    std::error_code ec;
    fs::remove(File(kFiller), ec);
}

void FaultTest::SetReadOnly(bool readOnly) {
#ifndef _WIN32
    unsigned long flags = MS_REMOUNT;
    if (readOnly) flags |= MS_RDONLY;
    ASSERT_EQ(mount("tarvisco-fault", dir_.c_str(), "tmpfs", flags, nullptr), 0)
        << std::strerror(errno);
#else
    (void)readOnly;
#endif
}

void FaultTest::ExpectCleanFailure(int32_t result, const std::string& what) {
    EXPECT_EQ(result, 0);
    std::vector<std::string> errors = Errors();
    ASSERT_FALSE(errors.empty()) << "no failure reported:\n" << AllMessages();
    std::string all = AllMessages();
    EXPECT_NE(all.find("wystąpił błąd"), std::string::npos) << all;
    EXPECT_NE(all.find(what), std::string::npos) << "the failure does not name " << what << ":\n"
                                                 << all;
    EXPECT_EQ(StoreCalls(), 0) << "a failed export was stored as a result";
    if (Exists("fake.pid")) {
        EXPECT_FALSE(ProcessAlive(FakePid()));
    }
}

void FaultTest::ExpectNextSucceeds() {
    InstallStandIn("ok");
    std::error_code ec;
    fs::remove(File("wynik.exp"), ec);
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_EQ(StoreCalls(), 1);
    std::string result = ReadFile(File("wynik.exp"));
    EXPECT_EQ(result.rfind("PLU;1;0;101;DOD\r\n", 0), 0u) << result;
    EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 10);
}

}  // namespace krv::test

// --- the tests ---

namespace krv::test {
namespace {

class FullDisk : public FaultTest {
  protected:
    void SetUp() override {
        FaultTest::SetUp();
        std::string why;
        if (!MountSmallDisk(96, &why)) GTEST_SKIP() << "no small disk for this test: " << why;
        TenGoods();
        InstallStandIn("ok");
    }
};

TEST_F(FullDisk, WhileArchivingTheGoodsFile) {
    FillDisk(0);
    ExpectCleanFailure(Export(), "ARCH2.EXP");
    EXPECT_NE(AllMessages().find("No space left"), std::string::npos) << AllMessages();
    EXPECT_FALSE(Exists("digism.exp"));
    FreeDisk();
    ExpectNextSucceeds();
}

TEST_F(FullDisk, WhileWritingThePluFile) {
    // Room for the archive (about 1 KB), none for ten 1000-byte records.
    FillDisk(8);
    ExpectCleanFailure(Export(), "digism.exp");
    EXPECT_NE(AllMessages().find("No space left"), std::string::npos) << AllMessages();
    EXPECT_FALSE(Exists("semafor.imp"));  // the program was never started
    FreeDisk();
    ExpectNextSucceeds();
}

TEST_F(FullDisk, WhileWritingTheResult) {
    // The program itself fills the disk before it ends, as another program
    // writing to the same disk would.
    InstallStandIn("fill");
    ExpectCleanFailure(Export(), "wynik.exp");
    EXPECT_NE(AllMessages().find("No space left"), std::string::npos) << AllMessages();
    FreeDisk();
    ExpectNextSucceeds();
}

TEST_F(FaultTest, ReadOnlyExchangeFolder) {
    std::string why;
    if (!MountSmallDisk(512, &why)) GTEST_SKIP() << "no small disk for this test: " << why;
    TenGoods();
    InstallStandIn("ok");
    SetReadOnly(true);
    ExpectCleanFailure(Export(), "Read-only file system");
    EXPECT_FALSE(Exists("wynik.exp"));
    SetReadOnly(false);
    ExpectNextSucceeds();
}

TEST_F(FaultTest, ProgramDiesAfterHalfAnErrorFile) {
    TenGoods();
    InstallStandIn("halfdie");
    ExpectCleanFailure(Export(), "bez utworzenia pliku semafora (kod wyjścia 137)");
    EXPECT_FALSE(Exists("wynik.exp"));
    ExpectNextSucceeds();
}

TEST_F(FaultTest, HalfAnErrorLineIsAnErrorNotSuccess) {
    TenGoods();
    InstallStandIn("halfsem");
    ExpectCleanFailure(Export(), "Sterownik zakończył działanie z błędami");
    // The cut line is shown as far as it goes.
    EXPECT_NE(AllMessages().find("IP: 127.0.0.1:5001, Nr linii: 2, Nr PLU: 000000"),
              std::string::npos)
        << AllMessages();
    EXPECT_FALSE(Exists("wynik.exp"));
    ExpectNextSucceeds();
}

}  // namespace
}  // namespace krv::test
