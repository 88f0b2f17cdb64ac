// The message pool's receiving side for a Qt program: listens under the program's title while
// the event loop runs and signals each message it takes. Every peer is watched on its own, so a
// slow or silent one never holds up the loop or the peers behind it.
#pragma once

#include "messagepool/QvMessagePool.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

class QSocketNotifier;

namespace qv {

class TMessagePoolReceiver : public QObject {
    Q_OBJECT
  public:
    // Starts listening at once; isListening() tells whether a socket could be made.
    explicit TMessagePoolReceiver(const QString& title, QObject* parent = nullptr);
    ~TMessagePoolReceiver() override;

    bool isListening() const { return m_listener.IsListening(); }
    // Whether this copy holds the title itself; another running copy may, until it ends.
    bool holdsTitle() const { return m_listener.HoldsTitle(); }
    QString socketPath() const { return QString::fromStdString(m_listener.SocketPath()); }
    // Peers connected whose message is not complete yet.
    int pendingPeers() const { return static_cast<int>(m_listener.PeerCount()); }

  signals:
    // Emitted after the sender has been acknowledged, so a slow handler never holds it up.
    void messageReceived(int code, const QString& text);

  private:
    void watch(int fd, bool on);
    void serve(int fd);
    void rearmExpiry();

    std::map<int, QSocketNotifier*> m_notifiers;
    QTimer m_expiry;
    TMessagePoolListener m_listener;
};

} // namespace qv
