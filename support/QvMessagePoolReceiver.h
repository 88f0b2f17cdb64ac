// The message pool's receiving side for a Qt program: listens under the program's title while
// the event loop runs and signals each message it takes.
#pragma once

#include "support/QvMessagePool.h"

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace qv {

class TMessagePoolReceiver : public QObject {
    Q_OBJECT
  public:
    // Starts listening at once; isListening() tells whether the title could be had.
    explicit TMessagePoolReceiver(const QString& title, QObject* parent = nullptr);
    ~TMessagePoolReceiver() override;

    bool isListening() const { return m_listener.IsListening(); }
    QString socketPath() const { return QString::fromStdString(m_listener.SocketPath()); }

  signals:
    // Emitted after the sender has been acknowledged, so a slow handler never holds it up.
    void messageReceived(int code, const QString& text);

  private:
    TMessagePoolListener m_listener;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace qv
