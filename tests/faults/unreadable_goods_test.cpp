// A goods file that cannot be read to its end (an I/O error half-way, as a
// failing disk or a network share that goes away gives). This program
// replaces the C library's read() for itself: once armed, the first read of
// a file named kasa.exp gets half the file and the next one fails with EIO.
#include "faults/fault_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

bool g_armed = false;
int g_injected = 0;

bool IsGoodsFile(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
    size_t len = static_cast<size_t>(n);
    return len >= 9 && std::strcmp(path + len - 9, "/kasa.exp") == 0;
}

}  // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t n) {
    if (g_armed && IsGoodsFile(fd)) {
        off_t at = lseek(fd, 0, SEEK_CUR);
        struct stat st {};
        if (at == 0 && fstat(fd, &st) == 0 && st.st_size > 1) {
            size_t half = static_cast<size_t>(st.st_size / 2);
            if (n > half) n = half;
        } else if (at > 0) {
            ++g_injected;
            errno = EIO;
            return -1;
        }
    }
    return static_cast<ssize_t>(syscall(SYS_read, fd, buffer, n));
}

namespace krv::test {
namespace {

TEST_F(FaultTest, GoodsFileUnreadableHalfWay) {
    TenGoods();
    InstallStandIn("ok");
    g_armed = true;
    g_injected = 0;
    int32_t result = Export();
    g_armed = false;
    if (g_injected == 0)
        GTEST_SKIP()
            << "the goods file is no longer read through read(): the fault was not injected";
    ExpectCleanFailure(result, "kasa.exp");
    EXPECT_NE(AllMessages().find("Input/output error"), std::string::npos) << AllMessages();
    // Half the goods must not go to the scale as if they were all.
    EXPECT_FALSE(Exists("semafor.imp"));
    EXPECT_FALSE(Exists("wynik.exp"));
    ExpectNextSucceeds();
}

}  // namespace
}  // namespace krv::test
#endif
