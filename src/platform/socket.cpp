#include "platform/socket.h"

#include <algorithm>
#include <climits>
#include <cstring>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zarvik::platform {

namespace {

#if defined(_WIN32)
using NativeSocket = SOCKET;
constexpr int kSendFlags = 0;
bool Interrupted() { return false; }
#else
using NativeSocket = int;
// A companion application that closed early must not kill the platform's process.
constexpr int kSendFlags = MSG_NOSIGNAL;
bool Interrupted() { return errno == EINTR; }
#endif

NativeSocket Native(intptr_t handle) { return static_cast<NativeSocket>(handle); }

int ChunkSize(size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

std::optional<Ipv4Address> ResolveIpv4(const std::string& host) {
    const unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) return Ipv4Address{static_cast<uint32_t>(dotted), false};
#if defined(_WIN32)
    // The lookup needs Winsock started; the start is counted, so this one
    // stands on its own whether a socket is open or not.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return std::nullopt;
    struct Cleanup {
        ~Cleanup() { WSACleanup(); }
    } cleanup;
#endif

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    std::optional<Ipv4Address> address;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in in{};
            std::memcpy(&in, entry->ai_addr, sizeof in);
            address = Ipv4Address{static_cast<uint32_t>(in.sin_addr.s_addr), true};
            break;
        }
    }
    freeaddrinfo(found);
    return address;
}

bool Socket::Open() {
    Close();
    // Sending and receiving keep no time limit, on purpose: a fiscal
    // operation that timed out here but completed in the companion
    // application would lead the cashier to repeat it and register the
    // receipt twice. Only connecting has one (see connect).
#if defined(_WIN32)
    WSADATA data;
    winsockStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    const SOCKET made = socket(AF_INET, SOCK_STREAM, 0);
    if (made == INVALID_SOCKET) {
        Close();
        return false;
    }
    handle_ = static_cast<intptr_t>(made);
#else
    const int made = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (made < 0) return false;
    handle_ = made;
#endif
    return true;
}

bool Socket::Connect(const Ipv4Address& address, uint16_t port, std::chrono::milliseconds limit) {
    if (!IsOpen()) return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address.networkOrder;
    // Waits end at the deadline, never before it: a wait may wake early.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto msLeft = [&] {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
    };
    int error = 0;
    socklen_t length = sizeof error;
    // Non-blocking only while connecting: the exchange itself blocks.
#if defined(_WIN32)
    const SOCKET s = Native(handle_);
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        fd_set writable, failed;
        int ready = 0;
        while (ready == 0) {
            const int ms = msLeft();
            if (ms == 0) return false;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval wait{ms / 1000, (ms % 1000) * 1000};
            ready = select(0, nullptr, &writable, &failed, &wait);
        }
        // A refusal shows in the failed set, a connection in the writable one.
        if (ready < 0 || !FD_ISSET(s, &writable)) return false;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 ||
            error != 0) {
            return false;
        }
    }
    nonBlocking = 0;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
#else
    const int fd = Native(handle_);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    // An interrupted connect goes on in the background: wait for it as for one in progress.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return false;
        pollfd waited{fd, POLLOUT, 0};
        int ready = 0;
        while (ready == 0 || (ready < 0 && errno == EINTR)) {
            const int ms = msLeft();
            if (ms == 0) return false;
            ready = poll(&waited, 1, ms);
        }
        if (ready < 0) return false;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return false;
        }
    }
    return fcntl(fd, F_SETFL, flags) == 0;
#endif
}

bool Socket::SendAll(const char* data, size_t size) {
    if (!IsOpen()) return false;
    while (size > 0) {
        const auto sent = ::send(Native(handle_), data, ChunkSize(size), kSendFlags);
        if (sent < 0 && Interrupted()) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

long Socket::Receive(char* buffer, size_t size) {
    if (!IsOpen()) return -1;
    for (;;) {
        const auto got = ::recv(Native(handle_), buffer, ChunkSize(size), 0);
        if (got < 0 && Interrupted()) continue;
        return got < 0 ? -1 : static_cast<long>(got);
    }
}

void Socket::Close() {
#if defined(_WIN32)
    if (IsOpen()) closesocket(Native(handle_));
    if (winsockStarted_) WSACleanup();
    winsockStarted_ = false;
#else
    if (IsOpen()) ::close(Native(handle_));
#endif
    handle_ = kInvalid;
}

}  // namespace zarvik::platform
