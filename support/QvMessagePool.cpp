// Message pool over Unix sockets in the user's runtime folder.
#include "support/QvMessagePool.h"

#include "support/QvFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

std::uint32_t MessagePoolMessage = 0;

namespace {

constexpr unsigned char AckByte = 0x06;
constexpr std::size_t FrameSize = 8;
// One descriptor is expected; room for a few more so that extras are received and closed here
// rather than discarded by the kernel with a truncated control message.
constexpr std::size_t MaxFdsPerFrame = 8;

bool ValidTitle(const std::string& title) {
    return !title.empty() && title != "." && title != ".." &&
           title.find('/') == std::string::npos && title.find('\0') == std::string::npos;
}

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::optional<std::string> SocketPathFor(const std::string& title, bool createFolder) {
    if (!ValidTitle(title))
        return std::nullopt;
    const std::string folder = MessagePoolFolder(createFolder);
    if (folder.empty())
        return std::nullopt;
    return folder + title;
}

bool PeerIsUs(int socket, pid_t* pid) {
    ucred cred{};
    socklen_t len = sizeof(cred);
    if (getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != geteuid())
        return false;
    if (pid)
        *pid = cred.pid;
    return true;
}

// Connects without waiting: a receiver whose queue is full counts as unreachable.
int ConnectTo(const std::string& path) {
    sockaddr_un addr;
    if (!MakeAddress(path, addr))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `socket` to become readable until `deadline`.
bool WaitReadable(int socket, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        pollfd p{socket, POLLIN, 0};
        const int r = poll(&p, 1, RemainingMs(deadline));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

void PutU32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetU32(const unsigned char* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

struct TMessage {
    std::int32_t Code;
    std::string Text;
};

class TFdList {
  public:
    ~TFdList() { CloseAll(); }
    void CloseAll() {
        for (int fd : Fds)
            close(fd);
        Fds.clear();
    }
    std::vector<int> Fds;
};

// Reads one message from a peer: the frame with exactly one block, the block checked before a
// byte of it is believed.
std::optional<TMessage> ReadMessage(int connection) {
    if (!PeerIsUs(connection, nullptr))
        return std::nullopt;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(PoolReceiveTimeoutMs);
    unsigned char frame[FrameSize];
    std::size_t got = 0;
    TFdList fds;
    while (got < FrameSize) {
        if (!WaitReadable(connection, deadline))
            return std::nullopt;
        msghdr msg{};
        iovec iov{frame + got, FrameSize - got};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * MaxFdsPerFrame)];
        msg.msg_control = control;
        msg.msg_controllen = sizeof(control);
        const ssize_t n = recvmsg(connection, &msg, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            return std::nullopt;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int fd;
                std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                fds.Fds.push_back(fd);
            }
        }
        got += static_cast<std::size_t>(n);
    }
    if (GetU32(frame) != MessagePoolMessage || fds.Fds.size() != 1)
        return std::nullopt;

    std::size_t capacity = 0;
    void* data = MapSharedBlock(fds.Fds[0], &capacity);
    // The view keeps the block alive; the descriptor is not needed past this point.
    fds.CloseAll();
    if (!data)
        return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::uint32_t length = GetU32(bytes - 4);
    std::optional<TMessage> message;
    if (length <= capacity)
        message = TMessage{static_cast<std::int32_t>(GetU32(frame + 4)),
                           std::string(reinterpret_cast<const char*>(bytes), length)};
    UnmapSharedBlock(data);
    return message;
}

} // namespace

void RegisterMessagePool() {
    if (MessagePoolMessage != 0)
        return;
    // Every process derives the same number from the name, in the range the window system
    // hands out for registered messages.
    std::uint32_t hash = 2166136261u;
    for (char c : std::string_view("QV_MESSAGE_POOL")) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    MessagePoolMessage = 0xC000u + hash % 0x4000u;
}

std::string MessagePoolFolder(bool create) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime ? std::string(runtime) + "/Brannoworks"
                                             : "/tmp/Brannoworks-" + std::to_string(geteuid());
    if (create && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // A folder someone else owns or can enter would let them plant or reach our sockets.
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return folder + "/";
}

TAppWindow::~TAppWindow() {
    Close();
}

TAppWindow::TAppWindow(TAppWindow&& other) noexcept
    : m_socket(std::exchange(other.m_socket, -1)), m_processId(other.m_processId) {}

TAppWindow& TAppWindow::operator=(TAppWindow&& other) noexcept {
    if (this != &other) {
        Close();
        m_socket = std::exchange(other.m_socket, -1);
        m_processId = other.m_processId;
    }
    return *this;
}

void TAppWindow::Close() {
    if (m_socket >= 0)
        close(m_socket);
    m_socket = -1;
}

TAppWindow FindAppWindow(const std::string& title) {
    RegisterMessagePool();
    const auto path = SocketPathFor(title, false);
    if (!path)
        return {};
    const int fd = ConnectTo(*path);
    pid_t pid = 0;
    if (fd < 0)
        return {};
    if (!PeerIsUs(fd, &pid)) {
        close(fd);
        return {};
    }
    return TAppWindow(fd, pid);
}

bool SendPoolMessage(const std::string& text, TAppWindow& window, std::int32_t code) {
    RegisterMessagePool();
    if (!window || text.size() > MaxSharedBlockSize)
        return false;
    const TSharedHandle block =
        CreateSharedBlock(text.data(), static_cast<std::uint32_t>(text.size()));
    if (block < 0) {
        window.Close();
        return false;
    }
    unsigned char frame[FrameSize];
    PutU32(frame, MessagePoolMessage);
    PutU32(frame + 4, static_cast<std::uint32_t>(code));
    bool acknowledged = false;
    if (TransferHandle(block, window.Socket(), frame, sizeof(frame))) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(PoolSendTimeoutMs);
        while (WaitReadable(window.Socket(), deadline)) {
            unsigned char ack = 0;
            const ssize_t n = recv(window.Socket(), &ack, 1, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            acknowledged = n == 1 && ack == AckByte;
            break;
        }
    }
    FreeSharedBlock(block);
    window.Close();
    return acknowledged;
}

TMessagePoolListener::TMessagePoolListener(TCallback callback) : m_callback(std::move(callback)) {
    RegisterMessagePool();
}

TMessagePoolListener::~TMessagePoolListener() {
    Stop();
}

bool TMessagePoolListener::Listen(const std::string& title) {
    Stop();
    const auto path = SocketPathFor(title, true);
    sockaddr_un addr;
    if (!path || !MakeAddress(*path, addr))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    auto bindIt = [&] { return bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)); };
    if (bindIt() != 0) {
        // A live receiver keeps its title; a socket its ended program left behind is replaced.
        bool stale = false;
        if (errno == EADDRINUSE) {
            const int probe = ConnectTo(*path);
            stale = probe < 0 && errno == ECONNREFUSED;
            if (probe >= 0)
                close(probe);
        }
        if (!stale || unlink(path->c_str()) != 0 || bindIt() != 0) {
            close(fd);
            return false;
        }
    }
    struct stat st {};
    if (chmod(path->c_str(), 0600) != 0 || lstat(path->c_str(), &st) != 0 || listen(fd, 16) != 0) {
        unlink(path->c_str());
        close(fd);
        return false;
    }
    m_fd = fd;
    m_path = *path;
    m_inode = st.st_ino;
    return true;
}

void TMessagePoolListener::Stop() {
    if (m_fd < 0)
        return;
    close(m_fd);
    m_fd = -1;
    // Remove the socket only if it is still ours and not a successor's.
    struct stat st {};
    if (lstat(m_path.c_str(), &st) == 0 && st.st_ino == m_inode && S_ISSOCK(st.st_mode))
        unlink(m_path.c_str());
    m_path.clear();
}

bool TMessagePoolListener::HandleConnection(int connection) {
    std::optional<TMessage> message = ReadMessage(connection);
    if (message) {
        const unsigned char ack = AckByte;
        (void)send(connection, &ack, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    close(connection);
    if (!message)
        return false;
    if (m_callback)
        m_callback(message->Code, message->Text);
    return true;
}

int TMessagePoolListener::HandlePending() {
    int delivered = 0;
    // A bounded batch, so that a flood of peers can't keep the caller's loop here.
    for (int i = 0; i < 32 && m_fd >= 0; ++i) {
        const int connection = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        if (HandleConnection(connection))
            ++delivered;
    }
    return delivered;
}

int TMessagePoolListener::WaitAndHandle(int timeoutMs) {
    if (m_fd < 0)
        return 0;
    pollfd p{m_fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return 0;
    return HandlePending();
}

} // namespace qv
