// The Qt receiver: messages arrive through the event loop as a signal, and stuck peers hold up
// nothing.
#include "messagepool/QvMessagePoolReceiver.h"

#include "tests/testsupport/UiTestFixture.h"

#include <QSignalSpy>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

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

int ConnectRaw(const QString& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.toLocal8Bit().constData(), sizeof(addr.sun_path) - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    return fd;
}

TEST_F(PoolReceiver, StuckPeersHoldUpNeitherTheLoopNorAValidSender) {
    struct Row {
        const char* name;
        QByteArray sent; // then nothing more, and no hang-up
    };
    const Row rows[] = {{"silent peers", QByteArray()},
                        {"peers stopped half-way through a frame", QByteArray("\x01\x02\x03", 3)}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        qv::TMessagePoolReceiver receiver(QStringLiteral("Ampwise"));
        ASSERT_TRUE(receiver.isListening());
        QSignalSpy spy(&receiver, &qv::TMessagePoolReceiver::messageReceived);
        std::vector<int> peers;
        for (int i = 0; i < 16; ++i) {
            peers.push_back(ConnectRaw(receiver.socketPath()));
            if (!r.sent.isEmpty()) {
                ASSERT_EQ(::send(peers.back(), r.sent.constData(), std::size_t(r.sent.size()), 0),
                          r.sent.size());
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(receiver.pendingPeers(), 16, 10000);

        // Each stuck peer has a second to finish; the valid message must not wait for that.
        std::atomic<int> acknowledged{-1};
        std::atomic<int> stuckStillConnected{-1};
        std::thread sender([&] {
            qv::TAppWindow window = qv::FindAppWindow("Ampwise");
            const bool ok = qv::SendPoolMessage("Cable 25 m", window, 3);
            int connected = 0;
            for (int fd : peers) {
                char c;
                connected += ::recv(fd, &c, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN;
            }
            stuckStillConnected = connected;
            acknowledged = ok ? 1 : 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(acknowledged != -1, 10000);
        sender.join();
        EXPECT_EQ(acknowledged, 1);
        EXPECT_EQ(stuckStillConnected, 16) << "answered before any stuck peer's time was up";
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(1).toString(), QStringLiteral("Cable 25 m"));

        // Once their time is up, the stuck peers are let go without an acknowledgement.
        QTRY_COMPARE_WITH_TIMEOUT(receiver.pendingPeers(), 0, 10000);
        for (int fd : peers) {
            char c;
            EXPECT_EQ(::recv(fd, &c, 1, MSG_DONTWAIT), 0);
            ::close(fd);
        }
        EXPECT_EQ(spy.count(), 1);
    }
}

} // namespace
