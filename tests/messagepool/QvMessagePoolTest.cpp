// Message pool: the block layout, a receiver in another process, receivers that are gone, and
// peers that send a receiver garbage.
#include "messagepool/QvFile_p.h"
#include "messagepool/QvMessagePool.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// What of a shared block a process still holds: descriptors and mappings.
int SharedBlocksHeldBy(pid_t pid) {
    int held = 0;
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& e :
         fs::directory_iterator(fdDir, fs::directory_options::skip_permission_denied)) {
        std::error_code ec;
        if (fs::read_symlink(e.path(), ec).string().find("qv-shared-block") != std::string::npos)
            ++held;
    }
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);)
        held += line.find("qv-shared-block") != std::string::npos;
    return held;
}

int OpenDescriptors() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

class PoolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qvpool-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
        qv::RegisterMessagePool();
    }
    void TearDown() override {
        for (pid_t pid : m_children) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove_all(m_dir);
    }

    // Starts the receiver program under `title`; returns once it listens.
    pid_t StartReceiver(const std::string& title, int count, std::string& out) {
        out = m_dir + "/" + title + ".out";
        fs::remove(out);
        setenv("QV_POOL_TITLE", title.c_str(), 1);
        setenv("QV_POOL_OUT", out.c_str(), 1);
        setenv("QV_POOL_COUNT", std::to_string(count).c_str(), 1);
        pid_t pid = 0;
        const char* argv[] = {QV_POOL_RECEIVER, nullptr};
        EXPECT_EQ(posix_spawn(&pid, QV_POOL_RECEIVER, nullptr, nullptr, const_cast<char**>(argv),
                              environ),
                  0);
        m_children.push_back(pid);
        for (int i = 0; i < 1000; ++i) {
            const auto lines = ReadLines(out);
            if (!lines.empty()) {
                EXPECT_EQ(lines.front(), "ready");
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return pid;
    }

    int WaitExit(pid_t pid) {
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        std::erase(m_children, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string m_dir;
    std::vector<pid_t> m_children;
};

std::vector<std::uint8_t> BlockBytes(int fd) {
    struct stat st {};
    EXPECT_EQ(fstat(fd, &st), 0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    EXPECT_EQ(pread(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    return bytes;
}

TEST(SharedBlock, LayoutIsLengthThenTextWithoutTerminator) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::uint8_t> bytes;
    };
    const Row rows[] = {
        {"empty text", "", {0, 0, 0, 0}},
        {"ten characters",
         "Cable 16mm",
         {10, 0, 0, 0, 'C', 'a', 'b', 'l', 'e', ' ', '1', '6', 'm', 'm'}},
        {"bytes of every kind", std::string("\xFF\0z", 3), {3, 0, 0, 0, 0xFF, 0, 'z'}},
        {"length past one byte", std::string(300, 'x'), {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const int fd = qv::CreateSharedBlock(r.text.data(), std::uint32_t(r.text.size()));
        ASSERT_GE(fd, 0);
        const auto bytes = BlockBytes(fd);
        if (!r.bytes.empty()) {
            EXPECT_EQ(bytes, r.bytes);
        } else {
            ASSERT_EQ(bytes.size(), 304u);
            EXPECT_EQ(bytes[0], 300 & 0xFF);
            EXPECT_EQ(bytes[1], 300 >> 8);
        }
        EXPECT_EQ(fcntl(fd, F_GET_SEALS) & (F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE),
                  F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE);
        EXPECT_NE(ftruncate(fd, 2), 0) << "a holder can't shrink it";

        std::size_t capacity = 0;
        void* data = qv::MapSharedBlock(fd, &capacity);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(capacity, r.text.size());
        EXPECT_EQ(std::string(static_cast<const char*>(data), capacity), r.text);
        EXPECT_TRUE(qv::UnmapSharedBlock(data));
        EXPECT_FALSE(qv::UnmapSharedBlock(data)) << "a view is released once";
        EXPECT_TRUE(qv::FreeSharedBlock(fd));
    }
}

TEST(SharedBlock, WithoutDataTheTextAreaIsZeroAndWritable) {
    const int fd = qv::CreateSharedBlock(nullptr, 10);
    ASSERT_GE(fd, 0);
    std::vector<std::uint8_t> expected(14, 0);
    expected[0] = 10;
    EXPECT_EQ(BlockBytes(fd), expected);
    auto* data = static_cast<char*>(qv::MapSharedBlock(fd));
    ASSERT_NE(data, nullptr);
    std::memcpy(data, "0123456789", 10);
    EXPECT_TRUE(qv::UnmapSharedBlock(data));
    EXPECT_EQ(BlockBytes(fd)[13], '9');
    qv::FreeSharedBlock(fd);
}

TEST_F(PoolTest, LiveReceiverGetsEachTextWholeWithItsCode) {
    std::string out;
    const pid_t pid = StartReceiver("Psychro", 3, out);
    std::string big;
    for (int i = 0; i < 100000; ++i)
        big += static_cast<char>(i * 7);
    struct Row {
        std::int32_t code;
        std::string text;
    };
    const Row rows[] = {{3, ""}, {7, "Pipe run 42 m \"quoted\""}, {-5, big}};
    for (const Row& r : rows) {
        qv::TAppWindow window = qv::FindAppWindow("Psychro");
        ASSERT_TRUE(window);
        EXPECT_EQ(window.ProcessId(), pid);
        EXPECT_TRUE(qv::SendPoolMessage(r.text, window, r.code));
        EXPECT_FALSE(window) << "the connection is used up";
        // The block handed over is gone from the receiver by the time the send returns.
        EXPECT_EQ(SharedBlocksHeldBy(pid), 0);
        EXPECT_EQ(SharedBlocksHeldBy(getpid()), 0);
    }
    EXPECT_EQ(WaitExit(pid), 0);
    const auto lines = ReadLines(out);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i + 1], std::to_string(rows[i].code) + "|" + Hex(rows[i].text));
}

TEST_F(PoolTest, ReceiverThatIsGoneGetsNothingAndNothingIsReported) {
    EXPECT_FALSE(qv::FindAppWindow("Nobody")) << "never started";

    std::string out;
    pid_t pid = StartReceiver("Gasline", 1, out);
    kill(pid, SIGKILL);
    WaitExit(pid);
    EXPECT_FALSE(qv::FindAppWindow("Gasline")) << "its socket is left behind";

    pid = StartReceiver("Gasline", 1, out);
    EXPECT_EQ(ReadLines(out).back(), "ready") << "a new receiver replaces the stale socket";
    qv::TAppWindow window = qv::FindAppWindow("Gasline");
    ASSERT_TRUE(window);
    kill(pid, SIGKILL);
    WaitExit(pid);
    // Ended between finding and sending: no SIGPIPE, no block left over here.
    EXPECT_FALSE(qv::SendPoolMessage("late", window, 3));
    EXPECT_EQ(SharedBlocksHeldBy(getpid()), 0);

    qv::TAppWindow none;
    EXPECT_FALSE(qv::SendPoolMessage("to no one", none, 3));
}

TEST_F(PoolTest, ASecondCopyListensUnderItsOwnNameAndTakesTheTitleWhenItIsFree) {
    int calls = 0;
    qv::TMessagePoolListener first([&](std::int32_t, const std::string&) { ++calls; });
    qv::TMessagePoolListener second([&](std::int32_t, const std::string&) { ++calls; });
    ASSERT_TRUE(first.Listen("Ductwise"));
    EXPECT_TRUE(first.HoldsTitle());
    ASSERT_TRUE(second.Listen("Ductwise"));
    EXPECT_FALSE(second.HoldsTitle()) << "the title has a live holder";
    EXPECT_NE(second.SocketPath(), first.SocketPath());
    EXPECT_EQ(first.HandlePending(), 0) << "the probe of the second is no message";
    EXPECT_EQ(qv::FindAppWindows("Ductwise").size(), 2u);
    EXPECT_EQ(fs::status(m_dir + "/Brannoworks").permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_EQ(fs::status(second.SocketPath()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    const std::string firstOwnName = first.SocketPath();
    first.Stop();
    EXPECT_FALSE(fs::exists(m_dir + "/Brannoworks/Ductwise"));
    EXPECT_FALSE(fs::exists(firstOwnName));
    EXPECT_TRUE(second.ClaimTitle());
    EXPECT_TRUE(second.HoldsTitle());
    EXPECT_EQ(qv::FindAppWindows("Ductwise").size(), 1u);
    second.Stop();
    EXPECT_TRUE(fs::is_empty(m_dir + "/Brannoworks")) << "each copy removes its names";

    for (const std::string& bad :
         {std::string(), std::string(".."), std::string("a/b"), std::string(200, 'x')}) {
        SCOPED_TRACE(bad);
        qv::TMessagePoolListener l(nullptr);
        EXPECT_FALSE(l.Listen(bad));
        EXPECT_FALSE(qv::FindAppWindow(bad));
    }
    EXPECT_EQ(calls, 0);
}

TEST_F(PoolTest, FolderOthersCanEnterIsNotUsed) {
    const std::string folder = m_dir + "/Brannoworks";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    qv::TMessagePoolListener l(nullptr);
    EXPECT_EQ(qv::MessagePoolFolder(true), "");
    EXPECT_FALSE(l.Listen("Uvalue"));
    ASSERT_EQ(rmdir(folder.c_str()), 0);

    const std::string elsewhere = m_dir + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
    EXPECT_EQ(qv::MessagePoolFolder(true), "") << "a link could lead anywhere";
    EXPECT_FALSE(l.Listen("Uvalue"));
}

// A peer that speaks to the receiver directly, with whatever frame and descriptors it likes.
int ConnectRaw(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    return fd;
}

void SendRaw(int socket, const std::vector<std::uint8_t>& bytes, const std::vector<int>& fds) {
    msghdr msg{};
    iovec iov{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    std::vector<char> control(CMSG_SPACE(sizeof(int) * fds.size()));
    if (!fds.empty()) {
        msg.msg_control = control.data();
        msg.msg_controllen = control.size();
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
        std::memcpy(CMSG_DATA(c), fds.data(), sizeof(int) * fds.size());
    }
    EXPECT_EQ(sendmsg(socket, &msg, MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

std::vector<std::uint8_t> Frame(std::uint32_t message, std::int32_t code) {
    std::vector<std::uint8_t> f;
    for (std::uint32_t v : {message, static_cast<std::uint32_t>(code)})
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return f;
}

// A memory file of `size` bytes whose length field says `length`, sealed as asked.
int CraftedBlock(std::size_t size, std::uint32_t length, int seals) {
    const int fd = memfd_create("crafted", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(length >> (8 * i));
    EXPECT_EQ(pwrite(fd, bytes, std::min<std::size_t>(4, size), 0),
              static_cast<ssize_t>(std::min<std::size_t>(4, size)));
    if (seals) {
        EXPECT_EQ(fcntl(fd, F_ADD_SEALS, seals), 0);
    }
    return fd;
}

TEST_F(PoolTest, HostilePeersNeverReachTheCallbackNorLeakDescriptors) {
    std::vector<std::string> got;
    qv::TMessagePoolListener listener([&](std::int32_t code, const std::string& text) {
        got.push_back(std::to_string(code) + text);
    });
    ASSERT_TRUE(listener.Listen("Faultline"));
    const int descriptorsBefore = OpenDescriptors();
    const std::uint32_t msg = qv::MessagePoolMessage;
    constexpr int Sealed = F_SEAL_SHRINK | F_SEAL_GROW;

    struct Row {
        const char* name;
        std::vector<std::uint8_t> frame;
        std::vector<int> fds; // sent along, then closed here
        bool hangUp;          // close our end before the receiver reads
    };
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    const std::vector<Row> rows = {
        {"early hang-up", {}, {}, true},
        {"half a frame, then hang-up", {1, 2, 3, 4}, {}, true},
        {"frame without a block", Frame(msg, 3), {}, true},
        {"another message number", Frame(msg + 1, 3), {CraftedBlock(14, 10, Sealed)}, true},
        {"two blocks",
         Frame(msg, 3),
         {CraftedBlock(14, 10, Sealed), CraftedBlock(8, 4, Sealed)},
         true},
        {"length larger than the block", Frame(msg, 3), {CraftedBlock(14, 11, Sealed)}, true},
        {"length of four gigabytes", Frame(msg, 3), {CraftedBlock(14, 0xFFFFFFFFu, Sealed)}, true},
        {"block shorter than four bytes", Frame(msg, 3), {CraftedBlock(2, 0, Sealed)}, true},
        {"block that could be shrunk", Frame(msg, 3), {CraftedBlock(14, 10, 0)}, true},
        {"block of 64 MiB", Frame(msg, 3), {CraftedBlock(64u << 20, 10, Sealed)}, true},
        {"pipe instead of a block", Frame(msg, 3), {pipeFds[0]}, true},
        {"peer that stays silent", {}, {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const int peer = ConnectRaw(listener.SocketPath());
        if (!r.frame.empty() || !r.fds.empty())
            SendRaw(peer, r.frame.empty() ? std::vector<std::uint8_t>{0} : r.frame, r.fds);
        for (int fd : r.fds)
            close(fd);
        if (r.hangUp)
            shutdown(peer, SHUT_WR);
        EXPECT_EQ(listener.HandlePending(), 0);
        char ack = 0;
        EXPECT_LE(recv(peer, &ack, 1, MSG_DONTWAIT), 0) << "no acknowledgement";
        close(peer);
    }
    close(pipeFds[1]);
    EXPECT_EQ(listener.PeerCount(), 1u) << "the silent peer is kept, not waited for";
    EXPECT_EQ(listener.HandlePending(), 0);
    EXPECT_EQ(listener.PeerCount(), 0u) << "it has hung up since";
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "every descriptor received was closed";

    // And it still serves a well-behaved sender.
    bool acknowledged = false;
    std::thread sender([&] {
        qv::TAppWindow window = qv::FindAppWindow("Faultline");
        acknowledged = qv::SendPoolMessage("still here", window, 9);
    });
    for (int i = 0; i < 10 && got.empty(); ++i)
        listener.WaitAndHandle(1000);
    sender.join();
    EXPECT_TRUE(acknowledged);
    EXPECT_EQ(got, std::vector<std::string>{"9still here"});
}

} // namespace
