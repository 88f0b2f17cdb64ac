// Test program: a message-pool receiver in a process of its own. It listens under
// $QV_POOL_TITLE (default: its own file name), notes each start in $QV_POOL_STARTLOG, writes
// "ready" to $QV_POOL_OUT once listening, then one line per message ("<code>|<text in hex>"),
// and exits after $QV_POOL_COUNT messages (default 1) or 30 seconds.
#include "messagepool/QvMessagePool.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Append(const char* path, const std::string& line) {
    if (!path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

std::string Hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

int main(int, char** argv) {
    const char* titleEnv = std::getenv("QV_POOL_TITLE");
    std::string title = titleEnv ? titleEnv : argv[0];
    title = title.substr(title.rfind('/') + 1);
    const char* out = std::getenv("QV_POOL_OUT");
    const char* countEnv = std::getenv("QV_POOL_COUNT");
    const int count = countEnv ? std::atoi(countEnv) : 1;
    Append(std::getenv("QV_POOL_STARTLOG"), "start " + std::to_string(getpid()));

    int received = 0;
    qv::TMessagePoolListener listener([&](std::int32_t code, const std::string& text) {
        Append(out, std::to_string(code) + "|" + Hex(text));
        ++received;
    });
    if (!listener.Listen(title)) {
        Append(out, "busy");
        return 3;
    }
    Append(out, "ready");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (received < count && std::chrono::steady_clock::now() < end)
        listener.WaitAndHandle(200);
    return received == count ? 0 : 1;
}
