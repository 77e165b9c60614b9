// The tools' OS layer on loopback: every outcome a socket call can have
// (done, time-out, orderly close, broken connection, refused), and the file
// and code-page helpers, checked against what really happens.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <filesystem>
#include <fstream>

#include "os.h"

namespace krv::test {
namespace {

using tools::ConnectFailure;
using tools::IoResult;
using tools::Socket;
namespace fs = std::filesystem;

// A connected pair on 127.0.0.1: the client's end and the server's.
struct Pair {
    Socket client, server;
};

Pair Connected(const Socket& listener) {
    Pair p;
    ConnectFailure why = ConnectFailure::kOther;
    p.client = tools::Connect("127.0.0.1", tools::LocalPort(listener), 2000, &why);
    EXPECT_EQ(why, ConnectFailure::kNone);
    EXPECT_EQ(tools::Accept(listener, 2000, &p.server), IoResult::kOk);
    return p;
}

// Closes with a reset instead of an orderly end.
void Reset(Socket& s) {
    linger l{1, 0};
    setsockopt(static_cast<int>(s.Handle()), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    s.Close();
}

TEST(ToolsOs, EverySocketOutcomeOnLoopback) {
    ASSERT_TRUE(tools::NetStartup());
    std::string error;
    Socket listener = tools::Listen("127.0.0.1", 0, &error);
    ASSERT_TRUE(listener.Valid()) << error;
    const int port = tools::LocalPort(listener);
    EXPECT_GT(port, 0);
    EXPECT_FALSE(tools::Listen("127.0.0.1", port, &error).Valid()) << "the port is taken";
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(tools::Listen("localhost", 0, &error).Valid()) << "names are not looked up";
    EXPECT_EQ(error, "not a numeric address: localhost");

    Socket none;
    EXPECT_EQ(tools::Accept(listener, 20, &none), IoResult::kTimeout) << "no client came";
    EXPECT_FALSE(none.Valid());

    Pair p = Connected(listener);
    std::string data;
    EXPECT_EQ(tools::Receive(p.server, 20, &data), IoResult::kTimeout) << "nothing sent yet";
    EXPECT_EQ(tools::SendAll(p.client, "hello\n", 1000), IoResult::kOk);
    EXPECT_EQ(tools::Receive(p.server, 1000, &data), IoResult::kOk);
    EXPECT_EQ(data, "hello\n");
    p.client.Close();
    EXPECT_EQ(tools::Receive(p.server, 1000, &data), IoResult::kClosed) << "orderly end";
    EXPECT_EQ(data, "hello\n") << "nothing added";

    // A peer that never reads: the sender waits for buffer space, then gives up.
    Pair stuck = Connected(listener);
    EXPECT_EQ(tools::SendAll(stuck.client, std::string(64 << 20, 'x'), 100), IoResult::kTimeout);
    // A peer that resets: both directions report the broken connection.
    Reset(stuck.server);
    EXPECT_EQ(tools::Receive(stuck.client, 1000, &data), IoResult::kError);
    Pair broken = Connected(listener);
    Reset(broken.client);
    EXPECT_EQ(tools::Receive(broken.server, 1000, &data), IoResult::kError);
    EXPECT_EQ(tools::SendAll(broken.server, "x", 100), IoResult::kError);

    // Moving hands the handle over; the port closed with its listener refuses.
    Socket moved(std::move(listener));
    EXPECT_FALSE(listener.Valid());
    EXPECT_TRUE(moved.Valid());
    moved.Close();
    ConnectFailure why = ConnectFailure::kNone;
    int system_error = 0;
    EXPECT_FALSE(tools::Connect("127.0.0.1", port, 1000, &why, &system_error).Valid());
    EXPECT_EQ(why, ConnectFailure::kRefused);
    EXPECT_NE(system_error, 0);
}

TEST(ToolsOs, FilesAndCodePages) {
    fs::path dir = fs::temp_directory_path() / ("tools_os_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string a = (dir / "zażółć.txt").string(), b = (dir / "b.txt").string();
    std::ofstream(b) << "old";
    std::FILE* f = tools::OpenFile(a, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("new", f);
    std::fclose(f);
    EXPECT_TRUE(tools::FileExists(a));
    EXPECT_FALSE(tools::FileExists(dir.string())) << "a folder is no file";
    EXPECT_TRUE(tools::RenameReplacing(a, b));
    EXPECT_FALSE(tools::FileExists(a));
    std::ifstream in(b);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "new") << "the old file replaced";
    EXPECT_FALSE(tools::RenameReplacing(a, b)) << "nothing to rename";
    EXPECT_TRUE(tools::RemoveFile(b));
    EXPECT_TRUE(tools::RemoveFile(b)) << "nothing left to remove is no failure";
    EXPECT_EQ(tools::OpenFile((dir / "no" / "such").string(), "rb"), nullptr);
    fs::remove_all(dir);

    const std::string program_dir = tools::ProgramDir();
    ASSERT_FALSE(program_dir.empty());
    EXPECT_EQ(program_dir.back(), '/');
    EXPECT_TRUE(fs::is_directory(program_dir));

    EXPECT_EQ(tools::CodePageByteToUtf8("CP1250", 1250, 0xEA), "\xC4\x99");  // ę
    EXPECT_EQ(tools::CodePageByteToUtf8("CP1250", 1250, 'A'), "A");
    EXPECT_EQ(tools::CodePageByteToUtf8("CP1250", 1250, 0x98), std::nullopt) << "undefined byte";
    EXPECT_EQ(tools::CodePageByteToUtf8("NO-SUCH-PAGE", 0, 'A'), std::nullopt);
}

}  // namespace
}  // namespace krv::test
