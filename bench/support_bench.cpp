// Speed of the message pool: one message found, sent and acknowledged while a number of peers
// that connected just before it stay silent on the same receiver.
#include "messagepool/QvMessagePool.h"

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

int ConnectSilent(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void BM_AnswerBehindSilentPeers(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "ampwise-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    qv::TMessagePoolListener listener([](std::int32_t, const std::string&) {});
    if (!listener.Listen("Ampwise")) {
        state.SkipWithError("no receiver");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread receiver([&] {
        while (!stop)
            listener.WaitAndHandle(50);
    });

    const auto silent = static_cast<int>(state.range(0));
    std::vector<int> peers;
    for (auto _ : state) {
        // Fresh silent peers each round, queued ahead of the sender as the stuck ones would be.
        state.PauseTiming();
        for (int fd : peers)
            close(fd);
        peers.clear();
        for (int i = 0; i < silent; ++i)
            peers.push_back(ConnectSilent(listener.SocketPath()));
        state.ResumeTiming();

        qv::TAppWindow window = qv::FindAppWindow("Ampwise");
        if (!qv::SendPoolMessage("Cable 25 m", window, 3)) {
            state.SkipWithError("not acknowledged");
            break;
        }
    }
    for (int fd : peers)
        close(fd);
    stop = true;
    receiver.join();
    listener.Stop();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AnswerBehindSilentPeers)->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

} // namespace
