// One plain TCP exchange with the companion application: connect, send the
// request, read one answer, close.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "platform/socket.h"

namespace zarvik {

class TCPClientException : public std::exception {
  public:
    explicit TCPClientException(std::string message) : message(std::move(message)) {}
    std::string message;
};

class ConnectionErrorException : public TCPClientException {
    using TCPClientException::TCPClientException;
};

class ResolveHostnameErrorException : public TCPClientException {
    using TCPClientException::TCPClientException;
};

// The answer cannot be a valid one (too large or nested too deeply); the rest
// of it is not read. The JSON-RPC client reports it as an unparsable answer.
class AnswerRefusedException : public TCPClientException {
    using TCPClientException::TCPClientException;
};

class TCPClient {
  public:
    TCPClient() = default;
    ~TCPClient() { close(); }
    TCPClient(const TCPClient&) = delete;
    TCPClient& operator=(const TCPClient&) = delete;

    // An answer beyond this size is refused instead of being held in memory.
    static constexpr size_t kMaxAnswerBytes = size_t{64} << 20;

    // Every failure closes the connection before it is thrown. Connecting
    // gives up after `limit` ("Connect timed out").
    void connect(const std::string& host, uint16_t port, std::chrono::milliseconds limit);
    void send(const std::string& data);
    // Reads until one whole JSON value has arrived or the peer closes. Bytes
    // that came in the same read after the value are kept, so that trailing
    // data shows up as a parse failure.
    std::string receive();
    void close();

  private:
    platform::Socket socket_;
};

}  // namespace zarvik
