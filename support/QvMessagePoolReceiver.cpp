// Qt event-loop integration of the message pool listener.
#include "support/QvMessagePoolReceiver.h"

#include <QSocketNotifier>

namespace qv {

TMessagePoolReceiver::TMessagePoolReceiver(const QString& title, QObject* parent)
    : QObject(parent), m_listener([this](std::int32_t code, const std::string& text) {
          emit messageReceived(code, QString::fromStdString(text));
      }) {
    if (!m_listener.Listen(title.toStdString()))
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_listener.Fd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            [this] { m_listener.HandlePending(); });
}

TMessagePoolReceiver::~TMessagePoolReceiver() {
    // The notifier must let go of the socket before the listener closes it.
    m_notifier.reset();
}

} // namespace qv
