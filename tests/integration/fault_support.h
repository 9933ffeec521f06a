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
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zarvik::test {

// Listens on a loopback port and never accepts: connecting and sending
// succeed (the system completes the handshake and buffers the request), and
// no byte ever comes back. Closing it resets the waiting connections.
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

    void close() {
        if (socket_ == -1) return;
#if defined(_WIN32)
        closesocket(static_cast<SOCKET>(socket_));
#else
        ::close(static_cast<int>(socket_));
#endif
        socket_ = -1;
    }

  private:
    intptr_t socket_ = -1;
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
