// Qt event-loop integration of the message pool listener: a notifier per watched descriptor and
// one timer for the peer whose time runs out first.
#include "messagepool/QvMessagePoolReceiver.h"

#include <QSocketNotifier>

namespace qv {

TMessagePoolReceiver::TMessagePoolReceiver(const QString& title, QObject* parent)
    : QObject(parent), m_listener(
                           [this](std::int32_t code, const std::string& text) {
                               emit messageReceived(code, QString::fromStdString(text));
                           },
                           [this](int fd, bool on) { watch(fd, on); }) {
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &TMessagePoolReceiver::rearmExpiry);
    m_listener.Listen(title.toStdString());
}

TMessagePoolReceiver::~TMessagePoolReceiver() {
    // The notifiers must let go of the descriptors before the listener closes them.
    m_listener.Stop();
}

void TMessagePoolReceiver::watch(int fd, bool on) {
    if (on) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { serve(fd); });
        m_notifiers[fd] = notifier;
        return;
    }
    const auto found = m_notifiers.find(fd);
    if (found == m_notifiers.end())
        return;
    // Possibly inside this very notifier's signal: disabled now, deleted once it returns.
    found->second->setEnabled(false);
    found->second->deleteLater();
    m_notifiers.erase(found);
}

void TMessagePoolReceiver::serve(int fd) {
    m_listener.Serve(fd);
    rearmExpiry();
}

void TMessagePoolReceiver::rearmExpiry() {
    const int next = m_listener.DropExpired();
    if (next < 0)
        m_expiry.stop();
    else
        m_expiry.start(next);
}

} // namespace qv
