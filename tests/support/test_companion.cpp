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
void Close(intptr_t s) { closesocket(static_cast<Native>(s)); }
// For the whole process, like the socket that keeps ClosedPort() closed.
[[maybe_unused]] const bool kWinsock = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
#else
using Native = int;
constexpr int kSendFlags = MSG_NOSIGNAL;
bool Interrupted() { return errno == EINTR; }
void Close(intptr_t s) { ::close(static_cast<Native>(s)); }
#endif

constexpr intptr_t kNone = -1;  // INVALID_SOCKET as well
constexpr std::chrono::milliseconds kPoll{20};
constexpr size_t kChunk = 64 * 1024;
// Enough to hold "jsonrpc", "id" and "method", which the driver writes first.
constexpr size_t kHeadBytes = 256;

Native N(intptr_t s) { return static_cast<Native>(s); }

// Waits up to one poll interval, so that stopping is noticed; true when the socket is ready.
bool Ready(intptr_t socket, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(N(socket), &set);
    timeval wait{0, static_cast<long>(kPoll.count() * 1000)};
    const int nfds = static_cast<int>(socket) + 1;  // ignored by Winsock
    return (forWriting ? select(nfds, nullptr, &set, nullptr, &wait)
                       : select(nfds, &set, nullptr, nullptr, &wait)) > 0;
}

// A listening socket, or one only bound, whose connections are refused.
intptr_t LoopbackSocket(uint16_t port, uint16_t& bound, bool listening) {
    const auto made = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
    if (made == kNone) return kNone;
    // A companion started again on the port of one just stopped must not
    // wait for the old connections' TIME_WAIT; the system still never hands
    // out a port in use when asked for any free one.
    const int yes = 1;
    if (listening) {
        setsockopt(N(made), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(N(made), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(N(made), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        (listening && listen(N(made), 16) != 0)) {
        Close(made);
        return kNone;
    }
    bound = ntohs(address.sin_port);
    return made;
}

// One accepted connection; every wait gives up once the companion stops.
struct Peer {
    intptr_t socket;
    const std::atomic<bool>& stopping;

    // The bytes that arrived; <= 0 when the peer closed, the read failed or we stop.
    long receive(char* buffer, size_t size) const {
        while (!stopping) {
            if (!Ready(socket, false)) continue;
            const auto got = recv(N(socket), buffer, static_cast<int>(size), 0);
            if (got < 0 && Interrupted()) continue;
            return static_cast<long>(got);
        }
        return -1;
    }

    // Up to and including the line feed; false when it never came.
    bool readRequest(std::string& raw, bool whole) const {
        static thread_local char buffer[kChunk];
        for (long got; (got = receive(buffer, sizeof buffer)) > 0;) {
            // Only the new bytes can hold the line end: searching all of a
            // receipt's megabytes after every read would take quadratic time.
            const auto size = static_cast<size_t>(got);
            const auto* end = static_cast<const char*>(std::memchr(buffer, '\n', size));
            const size_t kept = end ? static_cast<size_t>(end - buffer) + 1 : size;
            const size_t room = kHeadBytes - std::min(raw.size(), kHeadBytes);
            raw.append(buffer, whole ? kept : std::min(kept, room));
            if (end != nullptr) return true;
        }
        return false;
    }

    bool sendAll(const char* data, size_t size) const {
        while (size > 0 && !stopping) {
            if (!Ready(socket, true)) continue;
            const auto sent =
                send(N(socket), data, static_cast<int>(std::min(size, kChunk)), kSendFlags);
            if (sent < 0 && Interrupted()) continue;
            if (sent <= 0) return false;
            data += sent;
            size -= static_cast<size_t>(sent);
        }
        return size == 0;
    }

    void deliver(const std::string& bytes, const Delivery& delivery) const {
        const std::string all = bytes + delivery.trailing;
        const size_t pieces = static_cast<size_t>(std::max(1, delivery.pieces));
        size_t offset = 0;
        for (size_t piece = 0; piece < pieces; ++piece) {
            const size_t length = piece + 1 == pieces ? all.size() - offset : bytes.size() / pieces;
            const auto until = std::chrono::steady_clock::now() + delivery.pause;
            while (piece > 0 && !stopping && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::min(kPoll, delivery.pause));
            }
            if (!sendAll(all.data() + offset, length)) return;
            offset += length;
        }
    }

    void drainUntilClosed() const {
        char buffer[4096];
        while (receive(buffer, sizeof buffer) > 0) {
        }
    }
};

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

// Whether a method and an id could be taken from the request.
bool Record(const std::string& raw, bool whole, RecordedRequest& request) {
    if (!whole) {
        request.method = Between(raw, "\"method\":\"", "\"");
        request.id = Between(raw, "\"id\":", ",}");
        return true;
    }
    request.raw = raw;
    rapidjson::Document document;
    document.Parse(raw.data(), raw.size());
    if (document.HasParseError() || !document.IsObject()) return false;
    if (document.HasMember("method") && document["method"].IsString()) {
        request.method = document["method"].GetString();
    }
    if (document.HasMember("id")) request.id = Compact(document["id"]);
    if (!document.HasMember("params")) return true;
    const rapidjson::Value& params = document["params"];
    request.params = Compact(params);
    if (params.IsArray()) {
        for (const auto& element : params.GetArray()) request.paramList.push_back(Compact(element));
    }
    return true;
}

}  // namespace

TestCompanion::TestCompanion(uint16_t port) {
    listener_ = LoopbackSocket(port, port_, true);
    if (listener_ != kNone) thread_ = std::thread([this] { run(); });
}

TestCompanion::~TestCompanion() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != kNone) Close(listener_);
}

uint16_t TestCompanion::ClosedPort() {
    // Bound for the whole process and never listening: connections are
    // refused, and no companion of a parallel test can take the port.
    static const uint16_t port = [] {
        uint16_t bound = 0;
        LoopbackSocket(0, bound, false);
        return bound;
    }();
    return port;
}

void TestCompanion::script(const std::string& method, Script script) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[method] = std::move(script);
}

void TestCompanion::onResult(const std::string& method, const std::string& resultJson,
                             Delivery delivery) {
    script(method, {Kind::Answer, "\"result\":" + resultJson, std::move(delivery)});
}

void TestCompanion::onError(const std::string& method, int code, const std::string& message,
                            Delivery delivery) {
    const rapidjson::Value text(rapidjson::StringRef(message.data(), message.size()));
    script(method,
           {Kind::Answer,
            "\"error\":{\"code\":" + std::to_string(code) + ",\"message\":" + Compact(text) + "}",
            std::move(delivery)});
}

void TestCompanion::onRaw(const std::string& method, std::string bytes, Delivery delivery) {
    script(method, {Kind::Raw, std::move(bytes), std::move(delivery)});
}

// No bytes, then the close.
void TestCompanion::onClose(const std::string& method) { onRaw(method, ""); }

void TestCompanion::onReset(const std::string& method) { script(method, {Kind::Reset, "", {}}); }

std::vector<RecordedRequest> TestCompanion::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void TestCompanion::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

void TestCompanion::run() {
    while (!stopping_) {
        if (!Ready(listener_, false)) continue;
        const auto connection = static_cast<intptr_t>(accept(N(listener_), nullptr, nullptr));
        if (connection == kNone) continue;
        const int yes = 1;
        setsockopt(N(connection), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
        serve(connection);
        Close(connection);
    }
}

void TestCompanion::serve(intptr_t connection) {
    const Peer peer{connection, stopping_};
    std::string raw;
    const bool whole = recording_;
    const bool complete = peer.readRequest(raw, whole);
    if (raw.empty()) return;
    RecordedRequest request;
    const bool parsed = Record(raw, whole, request);
    const std::string id = request.id.empty() ? "null" : request.id;
    Script script{Kind::Answer, R"("error":{"code":-32700,"message":"Parse error"})", {}};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (parsed) {
            const auto found = scripts_.find(request.method);
            script = found != scripts_.end()
                         ? found->second
                         : Script{Kind::Answer,
                                  R"("error":{"code":-32601,"message":"Method not found"})",
                                  {}};
        }
        if (whole) requests_.push_back(std::move(request));
    }
    if (!complete) return;  // the driver went away mid-request
    if (script.kind == Kind::Reset) {
        // Closing with a zero linger time sends a reset instead of a close.
        linger abort{1, 0};
        setsockopt(N(connection), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                   sizeof abort);
        return;
    }
    peer.deliver(script.kind == Kind::Raw
                     ? script.body
                     : "{\"jsonrpc\":\"2.0\",\"id\":" + id + "," + script.body + "}\n",
                 script.delivery);
    if (!script.delivery.closeAfter) peer.drainUntilClosed();
}

}  // namespace zarvik::test
