#include "tests/testsupport/UiTestFixture.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>

namespace qv::test {

void UiTestFixture::SetUp() {
    ASSERT_TRUE(m_config.isValid());
    ASSERT_TRUE(m_temp.isValid());
    setenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", m_temp.path().toLocal8Bit().constData(), 1);

    m_watchdog.setInterval(50);
    QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            m_modalTicks = 0;
            return;
        }
        if (m_answer) {
            auto answer = std::move(m_answer);
            m_answer = nullptr;
            answer(modal);
            return;
        }
        // Two seconds of an unexpected modal window: fail and close it so the test can end.
        if (++m_modalTicks > 40) {
            ADD_FAILURE() << "unexpected modal window: " << modal->metaObject()->className()
                          << " \"" << modal->windowTitle().toStdString() << "\"";
            modal->close();
            m_modalTicks = 0;
        }
    });
    m_watchdog.start();
}

void UiTestFixture::TearDown() {
    m_watchdog.stop();
}

void UiTestFixture::onNextModal(std::function<void(QWidget*)> answer) {
    m_answer = std::move(answer);
}

} // namespace qv::test
