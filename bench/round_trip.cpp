#include "round_trip.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zarvik::bench {

namespace {

class Connection {
  public:
    Connection() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Connection() {
        if (socket_ >= 0) ::close(socket_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    int get() const { return socket_; }

  private:
    int socket_;
};

}  // namespace

bool BareRoundTrip(uint16_t port, const std::string& request) {
    Connection connection;
    if (connection.get() < 0) return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        return false;
    }
    const char* data = request.data();
    size_t left = request.size();
    while (left > 0) {
        const ssize_t sent = ::send(connection.get(), data, left, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        left -= static_cast<size_t>(sent);
    }
    // The driver reads 4 KiB at a time; the answers here are far smaller.
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(connection.get(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        if (std::memchr(buffer, '\n', static_cast<size_t>(got)) != nullptr) return true;
    }
}

}  // namespace zarvik::bench
