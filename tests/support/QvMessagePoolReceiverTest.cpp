// The Qt receiver: messages arrive through the event loop as a signal, one receiver per title.
#include "support/QvMessagePoolReceiver.h"

#include "tests/testsupport/UiTestFixture.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

using PoolReceiver = qv::test::UiTestFixture;

TEST_F(PoolReceiver, SignalsEachMessageAfterAcknowledgingIt) {
    qv::TMessagePoolReceiver receiver(QStringLiteral("Ampwise"));
    ASSERT_TRUE(receiver.isListening());
    QSignalSpy spy(&receiver, &qv::TMessagePoolReceiver::messageReceived);
    struct Row {
        int code;
        QString text;
    };
    const Row rows[] = {{3, QString()}, {11, QString::fromUtf8("Länge 25 m")}};
    for (const Row& r : rows) {
        std::atomic<int> acknowledged{-1};
        std::thread sender([&] {
            qv::TAppWindow window = qv::FindAppWindow("Ampwise");
            acknowledged = qv::SendPoolMessage(r.text.toStdString(), window, r.code) ? 1 : 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(acknowledged != -1, 10000);
        sender.join();
        EXPECT_EQ(acknowledged, 1);
        ASSERT_EQ(spy.count(), 1);
        const QList<QVariant> args = spy.takeFirst();
        EXPECT_EQ(args.at(0).toInt(), r.code);
        EXPECT_EQ(args.at(1).toString(), r.text);
    }
}

TEST_F(PoolReceiver, OneReceiverPerTitleAndNoneAfterItIsGone) {
    auto first = std::make_unique<qv::TMessagePoolReceiver>(QStringLiteral("Ampwise"));
    ASSERT_TRUE(first->isListening());
    EXPECT_TRUE(first->socketPath().startsWith(tempDir()));
    qv::TMessagePoolReceiver second(QStringLiteral("Ampwise"));
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(qv::FindAppWindow("Ampwise"));
    first.reset();
    EXPECT_FALSE(qv::FindAppWindow("Ampwise"));
}

} // namespace
