// Blocking IPv4 TCP sockets, the same small surface on Winsock and POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zarvik::platform {

class Socket {
public:
    Socket() = default;
    ~Socket() { close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool isOpen() const { return handle_ != kInvalid; }
    void close();

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle_ = kInvalid;
};

}  // namespace zarvik::platform
