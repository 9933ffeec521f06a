// One plain TCP exchange with the companion application: connect, send the
// request, read one answer, close.
#pragma once

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

class TCPClient {
public:
    TCPClient() = default;
    ~TCPClient() { close(); }
    TCPClient(const TCPClient&) = delete;
    TCPClient& operator=(const TCPClient&) = delete;

    void connect(const std::string& host, uint16_t port);
    void send(const std::string& data);
    // Reads until one whole JSON value has arrived or the peer closes.
    std::string receive();
    void close();

private:
    platform::Socket socket_;
};

}  // namespace zarvik
