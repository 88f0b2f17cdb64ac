// The message pool: hands a text and a code to another running program of the maker, or
// receives them. Each running copy of a receiving program listens on a Unix socket in
// $XDG_RUNTIME_DIR/Brannoworks/ (a folder only its user can enter), named after its title and its
// process id ("Ampwise@4242"); one copy also holds the title itself ("Ampwise"), a second name
// for its socket, which the next copy takes over when that one ends. The text travels in a shared
// block whose descriptor goes along with the message. Every failure on the sending side is
// silent: no block, no message, nothing reported.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv {

// The number every message carries, the same in every process of the user; 0 until registered.
extern std::uint32_t MessagePoolMessage;

// Start-up step: registers the message name "QV_MESSAGE_POOL" and keeps its number.
void RegisterMessagePool();

// The folder of the receivers' sockets, ending in "/"; created (mode 0700) when `create` is set.
// Empty when it can't be had, or when it is not a folder of ours that only we can enter.
std::string MessagePoolFolder(bool create);

// A running program's receiver, reached: the connection and the id of its process.
class TAppWindow {
  public:
    TAppWindow() = default;
    TAppWindow(int socket, pid_t processId) : m_socket(socket), m_processId(processId) {}
    ~TAppWindow();
    TAppWindow(TAppWindow&& other) noexcept;
    TAppWindow& operator=(TAppWindow&& other) noexcept;
    TAppWindow(const TAppWindow&) = delete;
    TAppWindow& operator=(const TAppWindow&) = delete;

    explicit operator bool() const { return m_socket >= 0; }
    int Socket() const { return m_socket; }
    pid_t ProcessId() const { return m_processId; }
    void Close();

  private:
    int m_socket = -1;
    pid_t m_processId = 0;
};

// A receiver of the program titled `title`, or none: the holder of the title, else the first
// copy that answers under its own name. A socket left behind by a program that has ended counts
// as none.
TAppWindow FindAppWindow(const std::string& title);
// Every running copy of the program titled `title`, the holder of the title first.
std::vector<TAppWindow> FindAppWindows(const std::string& title);

// Hands `text` and `code` to `window` and waits (a few seconds at most) for its acknowledgement;
// the connection is used up either way. True when the receiver took the message.
bool SendPoolMessage(const std::string& text, TAppWindow& window, std::int32_t code);

// Milliseconds a sender waits for the acknowledgement, and a receiver for a peer's message.
inline constexpr int PoolSendTimeoutMs = 5000;
inline constexpr int PoolReceiveTimeoutMs = 1000;
// Peers a receiver serves at once; a newcomer beyond them displaces the one that came first.
inline constexpr std::size_t PoolMaxPeers = 64;

// The receiving side: listens under a title and hands every well-formed message to a callback.
// It checks everything it reads and never waits for a peer: each is read as its bytes arrive, so
// a peer that stays silent, sends garbage or hangs up holds up no one, and is dropped
// PoolReceiveTimeoutMs after it connected. The callback must not destroy the listener.
class TMessagePoolListener {
  public:
    using TCallback = std::function<void(std::int32_t code, const std::string& text)>;
    // Told when a descriptor starts (true) or stops (false) needing a watch for readability, so
    // that an event loop can hand it to Serve; it is still open when it is told to stop.
    using TWatchHook = std::function<void(int fd, bool watch)>;

    explicit TMessagePoolListener(TCallback callback, TWatchHook watchHook = {});
    ~TMessagePoolListener();
    TMessagePoolListener(const TMessagePoolListener&) = delete;
    TMessagePoolListener& operator=(const TMessagePoolListener&) = delete;

    // Starts listening under a name of its own and takes the title too when no live receiver
    // holds it; when one does, the title is taken over as soon as that receiver's process ends.
    // False when the title is not a valid name or no socket can be made.
    bool Listen(const std::string& title);
    void Stop();
    bool IsListening() const { return m_fd >= 0; }
    // Whether this listener holds the title, the name other programs look for first.
    bool HoldsTitle() const;
    // Takes the title when no live receiver holds it; true when this listener holds it now.
    bool ClaimTitle();
    // The listening socket.
    int Fd() const { return m_fd; }
    // The socket under this listener's own name.
    const std::string& SocketPath() const { return m_path; }

    // The descriptors to watch for readability: the listening socket, each peer, and the
    // process holding the title when that is another one.
    std::vector<int> WatchedFds() const;
    // Serves what is there to read on `fd`, one of WatchedFds, without waiting; returns the
    // number of messages delivered.
    int Serve(int fd);
    // Drops the peers whose time is up; returns the milliseconds until the next one's, or -1.
    int DropExpired();
    std::size_t PeerCount() const { return m_peers.size(); }

    // Serves whatever is waiting, without waiting; returns the number of messages delivered.
    int HandlePending();
    // Waits up to `timeoutMs` (less when a peer's time is up sooner) for something to read,
    // then serves it.
    int WaitAndHandle(int timeoutMs);

  private:
    // A connected peer: the part of its frame and the descriptors it has sent so far.
    struct TPeer {
        std::chrono::steady_clock::time_point Deadline;
        unsigned char Frame[8] = {};
        std::size_t Got = 0;
        std::vector<int> Fds;
    };
    int Accept();
    int ReadPeer(int fd);
    void DropPeer(int fd);
    void WatchHolder(pid_t holder);
    void UnwatchHolder();
    void Watch(int fd, bool on);

    TCallback m_callback;
    TWatchHook m_watchHook;
    int m_fd = -1;
    std::string m_path;      // own name
    std::string m_titlePath; // the title's name
    ino_t m_inode = 0;
    int m_holderWatch = -1; // a process descriptor: readable once the title's holder has ended
    std::map<int, TPeer> m_peers;
};

} // namespace qv
