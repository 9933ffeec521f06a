// Helpers of the fault tests: a peer that the system connects to but that
// never takes the connection, and the check of one error report.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "platform_emulator.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zarvik::test {

// Listens on a loopback port and never accepts unless told to, and never
// reads: connecting and sending succeed as far as the system's buffers go,
// and no byte ever comes back. Closing it resets the waiting connections.
class SilentListener {
  public:
    SilentListener() {
#if defined(_WIN32)
        WSADATA data;
        winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        const SOCKET made = socket(AF_INET, SOCK_STREAM, 0);
        if (made == INVALID_SOCKET) return;
#else
        const int made = socket(AF_INET, SOCK_STREAM, 0);
        if (made < 0) return;
#endif
        socket_ = static_cast<intptr_t>(made);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(made, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            getsockname(made, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            listen(made, 4) != 0) {
            close();
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() {
        close();
#if defined(_WIN32)
        if (winsock_) WSACleanup();
#endif
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    bool listening() const { return socket_ != -1 && port_ != 0; }
    uint16_t port() const { return port_; }

    // Takes the next connection after all, still without reading from it;
    // false when none came within a minute.
    bool acceptOne() {
        for (int i = 0; i < 600 && accepted_ == -1; ++i) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(static_cast<Native>(socket_), &set);
            timeval wait{0, 100000};
            if (select(static_cast<int>(socket_) + 1, &set, nullptr, nullptr, &wait) > 0) {
                const Native taken = accept(static_cast<Native>(socket_), nullptr, nullptr);
                if (taken != kInvalid) accepted_ = static_cast<intptr_t>(taken);
            }
        }
        return accepted_ != -1;
    }

    // Bytes of the accepted connection waiting unread.
    long unread() const {
#if defined(_WIN32)
        u_long count = 0;
        ioctlsocket(static_cast<Native>(accepted_), FIONREAD, &count);
#else
        int count = 0;
        ioctl(static_cast<Native>(accepted_), FIONREAD, &count);
#endif
        return static_cast<long>(count);
    }

    // Closes the listener and the accepted connection; unread bytes make it a reset.
    void close() {
        for (intptr_t* handle : {&accepted_, &socket_}) {
            if (*handle == -1) continue;
#if defined(_WIN32)
            closesocket(static_cast<Native>(*handle));
#else
            ::close(static_cast<Native>(*handle));
#endif
            *handle = -1;
        }
    }

  private:
#if defined(_WIN32)
    using Native = SOCKET;
    static constexpr Native kInvalid = INVALID_SOCKET;
#else
    using Native = int;
    static constexpr Native kInvalid = -1;
#endif
    intptr_t socket_ = -1;
    intptr_t accepted_ = -1;
    uint16_t port_ = 0;
    bool winsock_ = false;
};

// Exactly one report with this code (two for code 5: the companion's text and
// ours), then forgets them for the next call.
inline void ExpectReportedOnce(EmulatedComponent& component, int code) {
    const size_t expected = code == 5 ? 2u : 1u;
    EXPECT_EQ(component.connection.errors.size(), expected);
    for (const auto& report : component.connection.errors) {
        EXPECT_EQ(report.code, code) << report.description;
        EXPECT_FALSE(report.description.empty());
    }
    component.connection.errors.clear();
}

}  // namespace zarvik::test
