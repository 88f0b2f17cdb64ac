// The message pool: hands a text and a code to another running program of the maker, or
// receives them. Each receiving program listens on a Unix socket named after its title in
// $XDG_RUNTIME_DIR/Brannoworks/ (a folder only its user can enter); the text travels in a shared
// block whose descriptor goes along with the message. Every failure on the sending side is
// silent: no block, no message, nothing reported.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

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

// The receiver listening under `title`, or none. A socket left behind by a program that has
// ended counts as none.
TAppWindow FindAppWindow(const std::string& title);

// Hands `text` and `code` to `window` and waits (a few seconds at most) for its acknowledgement;
// the connection is used up either way. True when the receiver took the message.
bool SendPoolMessage(const std::string& text, TAppWindow& window, std::int32_t code);

// Milliseconds a sender waits for the acknowledgement, and a receiver for a peer's message.
inline constexpr int PoolSendTimeoutMs = 5000;
inline constexpr int PoolReceiveTimeoutMs = 1000;

// The receiving side: listens under a title and hands every well-formed message to a callback.
// It checks everything it reads; a peer that sends garbage or hangs up never reaches the callback
// and holds it up for PoolReceiveTimeoutMs at most.
class TMessagePoolListener {
  public:
    using TCallback = std::function<void(std::int32_t code, const std::string& text)>;

    explicit TMessagePoolListener(TCallback callback);
    ~TMessagePoolListener();
    TMessagePoolListener(const TMessagePoolListener&) = delete;
    TMessagePoolListener& operator=(const TMessagePoolListener&) = delete;

    // Starts listening; false when the title is taken by a live receiver or the socket can't be
    // made. A socket left behind by an ended program is replaced.
    bool Listen(const std::string& title);
    void Stop();
    bool IsListening() const { return m_fd >= 0; }
    // The listening socket, for a poll loop or a socket notifier: readable when a peer waits.
    int Fd() const { return m_fd; }
    const std::string& SocketPath() const { return m_path; }

    // Serves the peers already waiting; returns the number of messages delivered.
    int HandlePending();
    // Waits up to `timeoutMs` for a peer, then serves what is waiting.
    int WaitAndHandle(int timeoutMs);

  private:
    bool HandleConnection(int connection);

    TCallback m_callback;
    int m_fd = -1;
    std::string m_path;
    ino_t m_inode = 0;
};

} // namespace qv
