#include "loopback_companion.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace zarvik::bench {

namespace {

// Enough to hold "jsonrpc", "id" and "method", which the driver writes first.
constexpr size_t kHeadBytes = 256;

std::string Between(const std::string& text, const char* opening, const char* closing) {
    const size_t start = text.find(opening);
    if (start == std::string::npos) return std::string();
    const size_t from = start + std::strlen(opening);
    const size_t end = text.find_first_of(closing, from);
    return end == std::string::npos ? std::string() : text.substr(from, end - from);
}

bool SendAll(int socket, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

}  // namespace

LoopbackCompanion::LoopbackCompanion() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::listen(listener_, 128) != 0) {
        throw std::runtime_error("the loopback companion cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

LoopbackCompanion::~LoopbackCompanion() {
    stopping_ = true;
    // Wakes the blocking accept.
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
}

void LoopbackCompanion::answer(const std::string& method, const std::string& resultJson) {
    std::lock_guard<std::mutex> lock(resultsMutex_);
    results_[method] = resultJson;
}

void LoopbackCompanion::capture(bool on) { capturing_ = on; }

std::string LoopbackCompanion::captured(const std::string& method) const {
    std::lock_guard<std::mutex> lock(capturedMutex_);
    const auto found = captured_.find(method);
    return found == captured_.end() ? std::string() : found->second;
}

std::string LoopbackCompanion::answerLine(const std::string& method, const std::string& id) const {
    std::string result = R"("error":{"code":-32601,"message":"Method not found"})";
    {
        std::lock_guard<std::mutex> lock(resultsMutex_);
        const auto found = results_.find(method);
        if (found != results_.end()) result = "\"result\":" + found->second;
    }
    return "{\"jsonrpc\":\"2.0\",\"id\":" + id + "," + result + "}\n";
}

void LoopbackCompanion::run() {
    while (!stopping_) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        const int yes = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        serve(connection);
        ::close(connection);
    }
}

void LoopbackCompanion::serve(int connection) {
    const bool capturing = capturing_;
    std::string head;
    std::string whole;
    static thread_local char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        const auto size = static_cast<size_t>(got);
        if (head.size() < kHeadBytes) head.append(buffer, std::min(size, kHeadBytes - head.size()));
        const void* end = std::memchr(buffer, '\n', size);
        if (capturing) {
            const size_t kept = end ? static_cast<const char*>(end) - buffer + 1 : size;
            whole.append(buffer, kept);
        }
        if (end != nullptr) break;
    }
    const std::string method = Between(head, "\"method\":\"", "\"");
    const std::string line = answerLine(method, Between(head, "\"id\":", ",}"));
    if (capturing) {
        std::lock_guard<std::mutex> lock(capturedMutex_);
        captured_[method] = std::move(whole);
    }
    SendAll(connection, line.data(), line.size());
}

}  // namespace zarvik::bench
