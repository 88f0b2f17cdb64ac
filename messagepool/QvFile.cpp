// Shared blocks over memfd, handles passed with SCM_RIGHTS.
#include "messagepool/QvFile_p.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace qv {

namespace {

// munmap needs the length of each view; receivers must not trust the block to tell them.
std::mutex ViewsLock;
std::map<const void*, std::size_t>& Views() {
    static std::map<const void*, std::size_t> views;
    return views;
}

void PutLength(unsigned char* at, std::uint32_t n) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(n >> (8 * i));
}

} // namespace

TSharedHandle CreateSharedBlock(const void* data, std::uint32_t size) {
    const int fd = memfd_create("qv-shared-block", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const std::size_t total = std::size_t{size} + 4;
    if (ftruncate(fd, static_cast<off_t>(total)) != 0) {
        close(fd);
        return -1;
    }
    void* view = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        close(fd);
        return -1;
    }
    auto* bytes = static_cast<unsigned char*>(view);
    PutLength(bytes, size);
    if (data && size > 0)
        std::memcpy(bytes + 4, data, size);
    munmap(view, total);
    int seals = F_SEAL_SHRINK | F_SEAL_GROW;
    if (data)
        seals |= F_SEAL_WRITE | F_SEAL_SEAL;
    if (fcntl(fd, F_ADD_SEALS, seals) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void* MapSharedBlock(TSharedHandle handle, std::size_t* dataCapacity) {
    struct stat st {};
    if (handle < 0 || fstat(handle, &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    // Without the shrink seal the other side could truncate the file under our view, and the
    // next read of it would kill this process with SIGBUS.
    const int seals = fcntl(handle, F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK))
        return nullptr;
    if (st.st_size < 4 || static_cast<std::uint64_t>(st.st_size) > MaxSharedBlockSize + 4)
        return nullptr;
    const auto total = static_cast<std::size_t>(st.st_size);
    const int prot = (seals & F_SEAL_WRITE) ? PROT_READ : PROT_READ | PROT_WRITE;
    void* view = mmap(nullptr, total, prot, MAP_SHARED, handle, 0);
    if (view == MAP_FAILED)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(ViewsLock);
        Views()[view] = total;
    }
    if (dataCapacity)
        *dataCapacity = total - 4;
    return static_cast<unsigned char*>(view) + 4;
}

bool UnmapSharedBlock(void* data) {
    if (!data)
        return false;
    void* view = static_cast<unsigned char*>(data) - 4;
    std::size_t total = 0;
    {
        std::lock_guard<std::mutex> lock(ViewsLock);
        auto it = Views().find(view);
        if (it == Views().end())
            return false;
        total = it->second;
        Views().erase(it);
    }
    return munmap(view, total) == 0;
}

bool FreeSharedBlock(TSharedHandle handle) {
    return handle >= 0 && close(handle) == 0;
}

bool TransferHandle(TSharedHandle handle, int channel, const void* payload, std::size_t payloadSize,
                    bool closeSource) {
    bool sent = false;
    if (handle >= 0 && channel >= 0 && payload && payloadSize > 0) {
        msghdr msg{};
        iovec iov{const_cast<void*>(payload), payloadSize};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        msg.msg_control = control;
        msg.msg_controllen = sizeof(control);
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &handle, sizeof(int));
        ssize_t n;
        do {
            n = sendmsg(channel, &msg, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        sent = n == static_cast<ssize_t>(payloadSize);
    }
    if (closeSource && handle >= 0)
        close(handle);
    return sent;
}

} // namespace qv
