// Isolation for widget tests: a private config and runtime folder per test, and a watchdog that
// fails the test (instead of hanging it) when a modal window nobody expected stays open.
#pragma once

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <ostream>

// Readable failures: gtest prints a QString as its text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qv::test {

class UiTestFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Folder that stands in for $XDG_CONFIG_HOME during this test.
    QString configDir() const { return m_config.path(); }
    QString tempDir() const { return m_temp.path(); }

    // Runs `answer` on the next modal window that opens (a dialog the test expects).
    void onNextModal(std::function<void(QWidget*)> answer);

  private:
    QTemporaryDir m_config;
    QTemporaryDir m_temp;
    QTimer m_watchdog;
    std::function<void(QWidget*)> m_answer;
    int m_modalTicks = 0;
};

} // namespace qv::test
