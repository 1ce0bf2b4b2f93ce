#include "ConnectionCutter.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

namespace {

// An address and port in the form the kernel reports them, for a byte-exact comparison that
// does not depend on how the text was written.
std::optional<sockaddr_storage> endpointOf(const std::string& address, int port) {
    if (port < 0 || port > 65535) {
        return std::nullopt;
    }
    sockaddr_storage storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        return storage;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        return storage;
    }
    return std::nullopt;
}

bool sameEndpoint(const sockaddr_storage& a, const sockaddr_storage& b) {
    if (a.ss_family != b.ss_family) {
        return false;
    }
    if (a.ss_family == AF_INET) {
        const auto& x = reinterpret_cast<const sockaddr_in&>(a);
        const auto& y = reinterpret_cast<const sockaddr_in&>(b);
        return x.sin_port == y.sin_port && x.sin_addr.s_addr == y.sin_addr.s_addr;
    }
    const auto& x = reinterpret_cast<const sockaddr_in6&>(a);
    const auto& y = reinterpret_cast<const sockaddr_in6&>(b);
    return x.sin6_port == y.sin6_port &&
           std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) == 0;
}

// True when DESCRIPTOR is a connected TCP socket with exactly these two ends.
bool isConnection(int descriptor, const sockaddr_storage& local, const sockaddr_storage& remote) {
    int type = 0;
    socklen_t typeLength = sizeof type;
    if (getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 ||
        type != SOCK_STREAM) {
        return false;
    }
    sockaddr_storage found{};
    socklen_t length = sizeof found;
    if (getpeername(descriptor, reinterpret_cast<sockaddr*>(&found), &length) != 0 ||
        !sameEndpoint(found, remote)) {
        return false;
    }
    length = sizeof found;
    return getsockname(descriptor, reinterpret_cast<sockaddr*>(&found), &length) == 0 &&
           sameEndpoint(found, local);
}

}  // namespace

ConnectionCutter::Outcome ConnectionCutter::cut(const std::string& localAddress, int localPort,
                                                const std::string& remoteAddress, int remotePort) {
    const auto local = endpointOf(localAddress, localPort);
    const auto remote = endpointOf(remoteAddress, remotePort);
    if (!local || !remote) {
        return Outcome::NotFound;
    }
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) {
        return Outcome::NotFound;
    }
    // Other threads open and close descriptors meanwhile, so a number seen in the listing may
    // name another file by the time it is used. Each candidate is therefore duplicated first and
    // examined and shut down through the duplicate, which keeps naming the same socket. Sockets
    // are told apart by inode, because another thread's duplicate of the same connection may be
    // in the listing too.
    std::set<ino_t> matches;
    int chosen = -1;
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long number = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || number == dirfd(folder)) {
            continue;
        }
        const int duplicate = fcntl(static_cast<int>(number), F_DUPFD_CLOEXEC, 0);
        if (duplicate < 0) {
            continue;
        }
        struct stat info {};
        if (fstat(duplicate, &info) == 0 && S_ISSOCK(info.st_mode) &&
            isConnection(duplicate, *local, *remote) && matches.insert(info.st_ino).second &&
            chosen < 0) {
            chosen = duplicate;
            continue;
        }
        close(duplicate);
    }
    closedir(folder);
    if (chosen < 0) {
        return Outcome::NotFound;
    }
    if (matches.size() > 1) {
        close(chosen);
        return Outcome::Ambiguous;
    }
    shutdown(chosen, SHUT_RDWR);
    close(chosen);
    return Outcome::Cut;
}
