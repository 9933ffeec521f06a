// Blocking IPv4 TCP sockets, the same small surface on Winsock and POSIX.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zarvik::platform {

struct Ipv4Address {
    uint32_t networkOrder = 0;    // the 4 address bytes as they go into sockaddr_in
    bool fromNameLookup = false;  // false when the host was a dotted address
};

// A dotted IPv4 address as inet_addr reads it; anything else (the broadcast
// address included, which inet_addr cannot tell from a failure) through the
// system's name lookup, IPv4 only. Empty when neither gives an address.
std::optional<Ipv4Address> ResolveIpv4(const std::string& host);

class Socket {
  public:
    Socket() = default;
    ~Socket() { Close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool IsOpen() const { return handle_ != kInvalid; }

    // Starts Winsock for this socket alone and creates a TCP socket; on
    // failure nothing stays open or started.
    bool Open();
    // Gives up when the connection does not stand within `limit`: an address
    // where nobody answers must not freeze the till. Nothing has been sent
    // by then, so giving up can never duplicate an operation.
    bool Connect(const Ipv4Address& address, uint16_t port, std::chrono::milliseconds limit);
    // Every byte, repeating on short writes; false when the peer or the
    // system refuses. A peer that went away never raises a signal.
    bool SendAll(const char* data, size_t size);
    // Bytes read (0 when the peer has closed), or -1 on failure.
    long Receive(char* buffer, size_t size);
    // Closes the socket and balances the Winsock start of `open`.
    void Close();

  private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle_ = kInvalid;
    [[maybe_unused]] bool winsockStarted_ = false;  // Windows only
};

}  // namespace zarvik::platform
