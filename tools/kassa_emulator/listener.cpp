#include "listener.h"

#include <chrono>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kassa {

namespace {

#if defined(_WIN32)
using Native = SOCKET;
constexpr int kSendFlags = 0;
void CloseNative(intptr_t s) { closesocket(static_cast<Native>(s)); }
bool Invalid(Native s) { return s == INVALID_SOCKET; }
#else
using Native = int;
constexpr int kSendFlags = MSG_NOSIGNAL;
void CloseNative(intptr_t s) { ::close(static_cast<Native>(s)); }
bool Invalid(Native s) { return s < 0; }
#endif

constexpr size_t kMaxRequest = 8 * 1024 * 1024;
constexpr auto kIdleLimit = std::chrono::seconds(10);

Native N(intptr_t s) { return static_cast<Native>(s); }

// True when the socket has something to read within a fifth of a second.
bool Readable(intptr_t socket) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(N(socket), &set);
    timeval wait{0, 200 * 1000};
    return select(static_cast<int>(socket) + 1, &set, nullptr, nullptr, &wait) > 0;
}

void SendAll(intptr_t connection, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const auto n = send(N(connection), bytes.data() + sent,
                            static_cast<int>(bytes.size() - sent), kSendFlags);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

}  // namespace

Listener::~Listener() {
    if (socket_ != -1) CloseNative(socket_);
#if defined(_WIN32)
    if (winsock_) WSACleanup();
#endif
}

bool Listener::open(const std::string& host, uint16_t port, std::string& error) {
#if defined(_WIN32)
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "Winsock did not start";
        return false;
    }
    winsock_ = true;
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    const std::string dotted = host == "localhost" ? "127.0.0.1" : host;
    if (inet_pton(AF_INET, dotted.c_str(), &address.sin_addr) != 1) {
        error = "not a dotted IPv4 address: " + host;
        return false;
    }
    const Native made = socket(AF_INET, SOCK_STREAM, 0);
    if (Invalid(made)) {
        error = "cannot create a socket";
        return false;
    }
    socket_ = static_cast<intptr_t>(made);
#if !defined(_WIN32)
    // A restarted emulator takes its port back at once.
    const int yes = 1;
    setsockopt(made, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    socklen_t length = sizeof address;
    if (bind(made, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(made, 16) != 0 ||
        getsockname(made, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port) +
                " (is another program using it?)";
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

void Listener::serve(const Handlers& handlers, const std::atomic<bool>& stop) {
    while (!stop) {
        if (!Readable(socket_)) continue;
        const Native accepted = accept(N(socket_), nullptr, nullptr);
        if (Invalid(accepted)) continue;
        const auto connection = static_cast<intptr_t>(accepted);
        serveOne(connection, handlers, stop);
        CloseNative(connection);
    }
}

void Listener::serveOne(intptr_t connection, const Handlers& handlers,
                        const std::atomic<bool>& stop) {
    std::string bytes;
    auto lastByte = std::chrono::steady_clock::now();
    char buffer[4096];
    while (!stop) {
        const size_t end = bytes.find('\n');
        if (end != std::string::npos) {
            std::string line = bytes.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            SendAll(connection, handlers.request(line) + "\n");
            return;
        }
        if (bytes.size() > kMaxRequest) {
            SendAll(connection,
                    handlers.malformed("Запрос длиннее 8 МБ без перевода строки") + "\n");
            return;
        }
        if (!Readable(connection)) {
            if (std::chrono::steady_clock::now() - lastByte > kIdleLimit) {
                handlers.note("a client sent no complete request line for 10 s; closed");
                return;
            }
            continue;
        }
        const auto n = recv(N(connection), buffer, sizeof buffer, 0);
        if (n <= 0) {
            // The peer stopped sending. A line without its line feed is
            // still answered, so that the fault shows.
            if (!bytes.empty()) {
                SendAll(connection,
                        handlers.malformed("Запрос не завершён переводом строки (LF)") + "\n");
            }
            return;
        }
        bytes.append(buffer, static_cast<size_t>(n));
        lastByte = std::chrono::steady_clock::now();
    }
}

}  // namespace kassa
