#include "test_companion.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zarvik::test {

namespace {

#if defined(_WIN32)
using Native = SOCKET;
constexpr int kSendFlags = 0;
bool Interrupted() { return false; }
void CloseNative(intptr_t s) { closesocket(static_cast<Native>(s)); }
#else
using Native = int;
constexpr int kSendFlags = MSG_NOSIGNAL;
bool Interrupted() { return errno == EINTR; }
void CloseNative(intptr_t s) { ::close(static_cast<Native>(s)); }
#endif

constexpr intptr_t kNone = -1;
constexpr std::chrono::milliseconds kPoll{20};
constexpr size_t kSendChunk = 64 * 1024;

Native N(intptr_t s) { return static_cast<Native>(s); }

// Waits up to one poll interval; true when the socket is ready.
bool Ready(intptr_t socket, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(N(socket), &set);
    timeval wait{0, static_cast<long>(kPoll.count() * 1000)};
    const int nfds = static_cast<int>(socket) + 1;  // ignored by Winsock
    const int ready = forWriting ? select(nfds, nullptr, &set, nullptr, &wait)
                                 : select(nfds, &set, nullptr, nullptr, &wait);
    return ready > 0;
}

intptr_t LoopbackSocket(uint16_t port, uint16_t& bound, bool reuse = true) {
    const Native made = socket(AF_INET, SOCK_STREAM, 0);
#if defined(_WIN32)
    if (made == INVALID_SOCKET) return kNone;
#else
    if (made < 0) return kNone;
#endif
    // A companion started again on the port of one just stopped must not
    // wait for the old connections' TIME_WAIT; the system still never hands
    // out a port in use when asked for any free one.
    const int yes = 1;
    if (reuse) {
        setsockopt(made, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(made, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(made, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseNative(static_cast<intptr_t>(made));
        return kNone;
    }
    bound = ntohs(address.sin_port);
    return static_cast<intptr_t>(made);
}

std::string Compact(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string Between(const std::string& text, const char* opening, const char* closing) {
    const size_t start = text.find(opening);
    if (start == std::string::npos) return std::string();
    const size_t from = start + std::strlen(opening);
    const size_t end = text.find_first_of(closing, from);
    return end == std::string::npos ? std::string() : text.substr(from, end - from);
}

// Enough to hold "jsonrpc", "id" and "method", which the driver writes first.
constexpr size_t kHeadBytes = 256;

RecordedRequest Record(const std::string& raw, bool whole) {
    RecordedRequest request;
    if (!whole) {
        request.parsed = true;
        request.method = Between(raw, "\"method\":\"", "\"");
        request.id = Between(raw, "\"id\":", ",}");
        return request;
    }
    request.raw = raw;
    rapidjson::Document document;
    document.Parse(raw.data(), raw.size());
    if (document.HasParseError() || !document.IsObject()) return request;
    request.parsed = true;
    const auto method = document.FindMember("method");
    if (method != document.MemberEnd() && method->value.IsString()) {
        request.method.assign(method->value.GetString(), method->value.GetStringLength());
    }
    const auto id = document.FindMember("id");
    if (id != document.MemberEnd()) request.id = Compact(id->value);
    const auto params = document.FindMember("params");
    if (params != document.MemberEnd()) {
        request.params = Compact(params->value);
        if (params->value.IsArray()) {
            for (const auto& element : params->value.GetArray()) {
                request.paramList.push_back(Compact(element));
            }
        }
    }
    return request;
}

std::string JsonString(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

TestCompanion::TestCompanion() { start(0); }

TestCompanion::TestCompanion(uint16_t port) { start(port); }

void TestCompanion::start(uint16_t port) {
#if defined(_WIN32)
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
    listener_ = LoopbackSocket(port, port_);
    if (listener_ == kNone) return;
    if (listen(N(listener_), 16) != 0) {
        CloseNative(listener_);
        listener_ = kNone;
        return;
    }
    thread_ = std::thread([this] { run(); });
}

TestCompanion::~TestCompanion() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != kNone) CloseNative(listener_);
#if defined(_WIN32)
    if (winsock_) WSACleanup();
#endif
}

uint16_t TestCompanion::ClosedPort() {
    // Bound for the whole process and never listening: connections are
    // refused, and no companion of a parallel test can take the port.
    static const uint16_t port = [] {
#if defined(_WIN32)
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);  // kept, like the socket
#endif
        uint16_t bound = 0;
        LoopbackSocket(0, bound, false);
        return bound;
    }();
    return port;
}

void TestCompanion::onResult(const std::string& method, const std::string& resultJson,
                             Delivery delivery) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = Script{Kind::Answer, "\"result\":" + resultJson, std::move(delivery)};
}

void TestCompanion::onError(const std::string& method, int code, const std::string& message,
                            Delivery delivery) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = Script{
        Kind::Answer,
        "\"error\":{\"code\":" + std::to_string(code) + ",\"message\":" + JsonString(message) + "}",
        std::move(delivery)};
}

void TestCompanion::onRaw(const std::string& method, std::string bytes, Delivery delivery) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = Script{Kind::Raw, std::move(bytes), std::move(delivery)};
}

void TestCompanion::onClose(const std::string& method) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = Script{Kind::Close, "", Delivery()};
}

void TestCompanion::onReset(const std::string& method) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = Script{Kind::Reset, "", Delivery()};
}

std::vector<RecordedRequest> TestCompanion::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void TestCompanion::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

TestCompanion::Script TestCompanion::scriptFor(const std::string& method) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = scripts_.find(method);
    if (found != scripts_.end()) return found->second;
    return Script{Kind::Answer, R"("error":{"code":-32601,"message":"Method not found"})",
                  Delivery()};
}

void TestCompanion::run() {
    while (!stopping_) {
        if (!Ready(listener_, false)) continue;
        const Native accepted = accept(N(listener_), nullptr, nullptr);
#if defined(_WIN32)
        if (accepted == INVALID_SOCKET) continue;
#else
        if (accepted < 0) continue;
#endif
        const int yes = 1;
        setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
        const auto connection = static_cast<intptr_t>(accepted);
        serve(connection);
        CloseNative(connection);
    }
}

void TestCompanion::serve(intptr_t connection) {
    std::string raw;
    const bool whole = recording_;
    const bool complete = readRequest(connection, raw, whole);
    if (raw.empty()) return;
    RecordedRequest request = Record(raw, whole);
    const std::string id = request.id.empty() ? "null" : request.id;
    const Script script =
        request.parsed ? scriptFor(request.method)
                       : Script{Kind::Answer, R"("error":{"code":-32700,"message":"Parse error"})",
                                Delivery()};
    if (whole) {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(std::move(request));
    }
    if (!complete) return;  // the driver went away mid-request

    switch (script.kind) {
        case Kind::Close:
            return;
        case Kind::Reset: {
            // Closing with a zero linger time sends a reset instead of a close.
            linger abort{1, 0};
            setsockopt(N(connection), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                       sizeof abort);
            return;
        }
        case Kind::Raw:
            deliver(connection, script.body, script.delivery);
            break;
        case Kind::Answer:
            deliver(connection, "{\"jsonrpc\":\"2.0\",\"id\":" + id + "," + script.body + "}\n",
                    script.delivery);
            break;
    }
    if (!script.delivery.closeAfter) drainUntilClosed(connection);
}

bool TestCompanion::readRequest(intptr_t connection, std::string& raw, bool whole) {
    static thread_local char buffer[64 * 1024];
    while (!stopping_) {
        if (!Ready(connection, false)) continue;
        const auto got = recv(N(connection), buffer, sizeof buffer, 0);
        if (got < 0 && Interrupted()) continue;
        if (got <= 0) return false;
        // Only the new bytes can hold the line end: searching all of a
        // receipt's megabytes after every read would take quadratic time.
        const auto size = static_cast<size_t>(got);
        const void* end = std::memchr(buffer, '\n', size);
        const size_t kept =
            end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) + 1 : size;
        raw.append(buffer,
                   whole ? kept : std::min(kept, kHeadBytes - std::min(raw.size(), kHeadBytes)));
        if (end != nullptr) return true;
    }
    return false;
}

bool TestCompanion::sendAll(intptr_t connection, const char* data, size_t size) {
    while (size > 0 && !stopping_) {
        if (!Ready(connection, true)) continue;
        const auto sent =
            send(N(connection), data, static_cast<int>(std::min(size, kSendChunk)), kSendFlags);
        if (sent < 0 && Interrupted()) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return size == 0;
}

void TestCompanion::deliver(intptr_t connection, const std::string& bytes,
                            const Delivery& delivery) {
    const std::string all = bytes + delivery.trailing;
    const size_t pieces = static_cast<size_t>(std::max(1, delivery.pieces));
    const size_t size = bytes.size() / pieces;
    size_t offset = 0;
    for (size_t piece = 0; piece < pieces; ++piece) {
        const size_t length = piece + 1 == pieces ? all.size() - offset : size;
        if (piece > 0) pauseFor(delivery.pause);
        if (!sendAll(connection, all.data() + offset, length)) return;
        offset += length;
    }
}

void TestCompanion::drainUntilClosed(intptr_t connection) {
    char buffer[4096];
    while (!stopping_) {
        if (!Ready(connection, false)) continue;
        const auto got = recv(N(connection), buffer, sizeof buffer, 0);
        if (got < 0 && Interrupted()) continue;
        if (got <= 0) return;
    }
}

void TestCompanion::pauseFor(std::chrono::milliseconds pause) {
    const auto until = std::chrono::steady_clock::now() + pause;
    while (!stopping_ && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::min(kPoll, pause));
    }
}

}  // namespace zarvik::test
