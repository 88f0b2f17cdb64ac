// Message pool over Unix sockets in the user's runtime folder.
#include "messagepool/QvMessagePool.h"

#include "messagepool/QvFile_p.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
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

// The message a complete frame and its descriptors carry: exactly one block, checked before a
// byte of it is believed.
std::optional<TMessage> DecodeMessage(const unsigned char* frame, const std::vector<int>& fds) {
    if (GetU32(frame) != MessagePoolMessage || fds.size() != 1)
        return std::nullopt;
    std::size_t capacity = 0;
    void* data = MapSharedBlock(fds[0], &capacity);
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

// The process id in a copy's own name, "<title>@<pid>" or "<title>@<pid>.<n>"; 0 for any other
// name. `order` receives the pair (pid, n) the copies are tried in.
pid_t OwnNamePid(const std::string& name, const std::string& title,
                 std::pair<int, int>* order = nullptr) {
    if (name.size() <= title.size() + 1 || name.compare(0, title.size(), title) != 0 ||
        name[title.size()] != '@')
        return 0;
    const char* end = name.data() + name.size();
    // Plain digits only: from_chars would take a sign.
    auto number = [end](const char* from, int& value) -> const char* {
        if (from == end || *from < '0' || *from > '9')
            return nullptr;
        const auto r = std::from_chars(from, end, value);
        return r.ec == std::errc() ? r.ptr : nullptr;
    };
    int pid = 0, n = 0;
    const char* p = number(name.data() + title.size() + 1, pid);
    if (p && p != end)
        p = *p == '.' ? number(p + 1, n) : nullptr;
    if (p != end || pid <= 0)
        return 0;
    if (order)
        *order = {pid, n};
    return static_cast<pid_t>(pid);
}

// The own names of the copies of `title` found in the pool folder, in the order they are tried.
std::vector<std::string> OwnNames(const std::string& folder, const std::string& title) {
    std::vector<std::pair<std::pair<int, int>, std::string>> found;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d)) {
            std::pair<int, int> order;
            if (OwnNamePid(e->d_name, title, &order) != 0)
                found.emplace_back(order, e->d_name);
        }
        closedir(d);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found)
        names.push_back(std::move(f.second));
    return names;
}

bool ProcessHasEnded(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// Binds `fd` to `path`, first removing a socket there that no one listens on any more.
bool BindReplacingStale(int fd, const std::string& path) {
    sockaddr_un addr;
    if (!MakeAddress(path, addr))
        return false;
    auto bindIt = [&] { return bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)); };
    if (bindIt() == 0)
        return true;
    if (errno != EADDRINUSE)
        return false;
    const int probe = ConnectTo(path);
    const bool stale = probe < 0 && errno == ECONNREFUSED;
    if (probe >= 0)
        close(probe);
    return stale && unlink(path.c_str()) == 0 && bindIt() == 0;
}

// Calls `visit` with each running copy of `title` reached, the holder of the title first, until
// it returns true. The title and its holder's own name are one socket, tried once.
void VisitCopies(const std::string& title, const std::function<bool(TAppWindow&&)>& visit) {
    RegisterMessagePool();
    const auto titlePath = SocketPathFor(title, false);
    if (!titlePath)
        return;
    const std::string folder = titlePath->substr(0, titlePath->size() - title.size());
    std::vector<std::string> paths{*titlePath};
    for (const std::string& name : OwnNames(folder, title))
        paths.push_back(folder + name);
    std::vector<ino_t> tried;
    for (const std::string& path : paths) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
            std::find(tried.begin(), tried.end(), st.st_ino) != tried.end())
            continue;
        tried.push_back(st.st_ino);
        const int fd = ConnectTo(path);
        pid_t pid = 0;
        if (fd < 0)
            continue;
        if (!PeerIsUs(fd, &pid)) {
            close(fd);
            continue;
        }
        if (visit(TAppWindow(fd, pid)))
            return;
    }
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
    TAppWindow found;
    VisitCopies(title, [&](TAppWindow&& window) {
        found = std::move(window);
        return true;
    });
    return found;
}

std::vector<TAppWindow> FindAppWindows(const std::string& title) {
    std::vector<TAppWindow> found;
    VisitCopies(title, [&](TAppWindow&& window) {
        found.push_back(std::move(window));
        return false;
    });
    return found;
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

TMessagePoolListener::TMessagePoolListener(TCallback callback, TWatchHook watchHook)
    : m_callback(std::move(callback)), m_watchHook(std::move(watchHook)) {
    RegisterMessagePool();
}

TMessagePoolListener::~TMessagePoolListener() {
    Stop();
}

bool TMessagePoolListener::Listen(const std::string& title) {
    Stop();
    const auto titlePath = SocketPathFor(title, true);
    if (!titlePath)
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // The own name carries the process id; a second listener in one process adds a number.
    const std::string own = *titlePath + "@" + std::to_string(getpid());
    std::string path;
    for (int n = 0; n < 16 && path.empty(); ++n) {
        const std::string candidate = n == 0 ? own : own + "." + std::to_string(n);
        if (BindReplacingStale(fd, candidate))
            path = candidate;
        else if (errno != EADDRINUSE)
            break;
    }
    struct stat st {};
    if (path.empty() || chmod(path.c_str(), 0600) != 0 || lstat(path.c_str(), &st) != 0 ||
        listen(fd, 16) != 0) {
        if (!path.empty())
            unlink(path.c_str());
        close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_titlePath = *titlePath;
    m_inode = st.st_ino;

    // Names of copies that ended without cleaning up would only slow every finder down.
    const std::string folder = m_titlePath.substr(0, m_titlePath.size() - title.size());
    for (const std::string& name : OwnNames(folder, title)) {
        const pid_t pid = OwnNamePid(name, title);
        if (pid == getpid() || !ProcessHasEnded(pid))
            continue;
        const int probe = ConnectTo(folder + name);
        if (probe >= 0)
            close(probe);
        else if (errno == ECONNREFUSED)
            unlink((folder + name).c_str());
    }
    Watch(m_fd, true);
    ClaimTitle();
    return true;
}

bool TMessagePoolListener::HoldsTitle() const {
    struct stat st {};
    return m_fd >= 0 && lstat(m_titlePath.c_str(), &st) == 0 && st.st_ino == m_inode &&
           S_ISSOCK(st.st_mode);
}

bool TMessagePoolListener::ClaimTitle() {
    if (m_fd < 0)
        return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (HoldsTitle())
            return true;
        // A second name for our socket, made at once: whoever comes first gets the title, and
        // it answers from the moment it appears.
        if (link(m_path.c_str(), m_titlePath.c_str()) == 0) {
            UnwatchHolder();
            return true;
        }
        if (errno != EEXIST)
            return false;
        struct stat before {};
        if (lstat(m_titlePath.c_str(), &before) != 0)
            continue;
        const int probe = ConnectTo(m_titlePath);
        if (probe >= 0) {
            pid_t holder = 0;
            const bool ours = PeerIsUs(probe, &holder);
            close(probe);
            if (ours && holder != getpid())
                WatchHolder(holder);
            if (!ours || holder == getpid() || m_holderWatch >= 0 || !ProcessHasEnded(holder))
                return false;
            continue; // the holder ended just now
        }
        if (errno != ECONNREFUSED)
            return false; // a live holder too busy to take us
        // Left behind by a program that has ended: replace it, unless someone just did.
        struct stat now {};
        if (lstat(m_titlePath.c_str(), &now) == 0 && now.st_ino == before.st_ino)
            unlink(m_titlePath.c_str());
    }
    return HoldsTitle();
}

void TMessagePoolListener::WatchHolder(pid_t holder) {
    UnwatchHolder();
#if defined(SYS_pidfd_open)
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, holder, 0));
    if (fd >= 0) {
        m_holderWatch = fd;
        Watch(fd, true);
    }
#else
    (void)holder;
#endif
}

void TMessagePoolListener::UnwatchHolder() {
    if (m_holderWatch < 0)
        return;
    Watch(m_holderWatch, false);
    close(std::exchange(m_holderWatch, -1));
}

void TMessagePoolListener::Watch(int fd, bool on) {
    if (m_watchHook)
        m_watchHook(fd, on);
}

void TMessagePoolListener::Stop() {
    if (m_fd < 0)
        return;
    while (!m_peers.empty())
        DropPeer(m_peers.begin()->first);
    UnwatchHolder();
    Watch(m_fd, false);
    close(m_fd);
    m_fd = -1;
    // Remove our names only where they still lead to our socket, not to a successor's.
    for (const std::string& path : {m_titlePath, m_path}) {
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && st.st_ino == m_inode && S_ISSOCK(st.st_mode))
            unlink(path.c_str());
    }
    m_path.clear();
    m_titlePath.clear();
}

std::vector<int> TMessagePoolListener::WatchedFds() const {
    std::vector<int> fds;
    if (m_fd < 0)
        return fds;
    fds.push_back(m_fd);
    if (m_holderWatch >= 0)
        fds.push_back(m_holderWatch);
    for (const auto& peer : m_peers)
        fds.push_back(peer.first);
    return fds;
}

int TMessagePoolListener::Serve(int fd) {
    if (fd < 0 || m_fd < 0)
        return 0;
    if (fd == m_fd)
        return Accept();
    if (fd == m_holderWatch) {
        // The holder's process has ended: its title is free, or left behind.
        UnwatchHolder();
        ClaimTitle();
        return 0;
    }
    return ReadPeer(fd);
}

int TMessagePoolListener::Accept() {
    int delivered = 0;
    // A bounded batch, so that a flood of peers can't keep the caller's loop here.
    for (int i = 0; i < 32 && m_fd >= 0; ++i) {
        const int connection = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        if (!PeerIsUs(connection, nullptr)) {
            close(connection);
            continue;
        }
        if (m_peers.size() >= PoolMaxPeers) {
            auto oldest = m_peers.begin();
            for (auto it = m_peers.begin(); it != m_peers.end(); ++it)
                if (it->second.Deadline < oldest->second.Deadline)
                    oldest = it;
            DropPeer(oldest->first);
        }
        TPeer& peer = m_peers[connection];
        peer.Deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(PoolReceiveTimeoutMs);
        Watch(connection, true);
        // A sender writes its message as it connects: most peers are served right here.
        delivered += ReadPeer(connection);
    }
    return delivered;
}

int TMessagePoolListener::ReadPeer(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return 0;
    TPeer& peer = found->second;
    while (peer.Got < FrameSize) {
        msghdr msg{};
        iovec iov{peer.Frame + peer.Got, FrameSize - peer.Got};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * MaxFdsPerFrame)];
        msg.msg_control = control;
        msg.msg_controllen = sizeof(control);
        const ssize_t n = recvmsg(fd, &msg, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0; // the rest comes later, or the peer's time runs out
        // Descriptors are taken before anything else, so that each received one gets closed.
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); n >= 0 && c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int received;
                std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                peer.Fds.push_back(received);
            }
        }
        if (n <= 0) {
            DropPeer(fd);
            return 0;
        }
        peer.Got += static_cast<std::size_t>(n);
    }
    const std::optional<TMessage> message = DecodeMessage(peer.Frame, peer.Fds);
    // The block is let go before the sender hears back: once its send returns, it is gone here.
    for (int received : peer.Fds)
        close(received);
    peer.Fds.clear();
    if (message) {
        const unsigned char ack = AckByte;
        (void)send(fd, &ack, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    // Done with the peer before the callback runs: it may run an event loop that serves others.
    DropPeer(fd);
    if (!message)
        return 0;
    if (m_callback)
        m_callback(message->Code, message->Text);
    return 1;
}

void TMessagePoolListener::DropPeer(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    Watch(fd, false);
    for (int received : found->second.Fds)
        close(received);
    m_peers.erase(found);
    close(fd);
}

int TMessagePoolListener::DropExpired() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<int> expired;
    auto next = std::chrono::steady_clock::time_point::max();
    for (const auto& [fd, peer] : m_peers) {
        if (peer.Deadline <= now)
            expired.push_back(fd);
        else
            next = std::min(next, peer.Deadline);
    }
    for (int fd : expired)
        DropPeer(fd);
    if (m_peers.empty())
        return -1;
    // Rounded up, so that a timer set to it finds the peer's time up.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now);
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 1));
}

int TMessagePoolListener::HandlePending() {
    return WaitAndHandle(0);
}

int TMessagePoolListener::WaitAndHandle(int timeoutMs) {
    if (m_fd < 0)
        return 0;
    const int untilExpiry = DropExpired();
    if (untilExpiry >= 0 && untilExpiry < timeoutMs)
        timeoutMs = untilExpiry;
    std::vector<pollfd> polled;
    for (int fd : WatchedFds())
        polled.push_back(pollfd{fd, POLLIN, 0});
    int delivered = 0;
    if (poll(polled.data(), polled.size(), timeoutMs) > 0) {
        for (const pollfd& p : polled)
            if (p.revents != 0)
                delivered += Serve(p.fd);
    }
    DropExpired();
    return delivered;
}

} // namespace qv
