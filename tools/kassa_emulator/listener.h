// A small blocking TCP server, the same on Winsock and POSIX: one connection
// at a time, one request line per connection, the answer written as one line
// and the connection closed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kassa {

class Listener {
  public:
    Listener() = default;
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // A dotted IPv4 address ("localhost" too); port 0 takes any free one.
    bool open(const std::string& host, uint16_t port, std::string& error);
    uint16_t port() const { return port_; }

    // The answer to a request line (without its line feed), or to `problem`
    // when the bytes that arrived are no request line.
    struct Handlers {
        std::function<std::string(const std::string& line)> request;
        std::function<std::string(const std::string& problem)> malformed;
        std::function<void(const std::string& note)> note;
    };

    // Serves until `stop` becomes true; it is looked at several times a second.
    void serve(const Handlers& handlers, const std::atomic<bool>& stop);

  private:
    void serveOne(intptr_t connection, const Handlers& handlers, const std::atomic<bool>& stop);

    intptr_t socket_ = -1;
    uint16_t port_ = 0;
    bool winsock_ = false;
};

}  // namespace kassa
