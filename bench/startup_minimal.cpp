// The yardstick of the start-up benchmark: the smallest Qt window, reporting (steady clock,
// nanoseconds) the moment it is up, as Ampwise does with AMPWISE_STARTUP_PROBE.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window("Minimal");
    window.resize(325, 385);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("ampwise-ready %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        window.close();
    });
    return app.exec();
}
