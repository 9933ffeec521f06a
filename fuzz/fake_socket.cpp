// The link-time replacement of src/platform/socket.cpp for the fuzz programs.
#include <algorithm>
#include <cstring>
#include <deque>

#include "fake_wire.h"
#include "platform/socket.h"

namespace zarvik::fuzz {

namespace {

struct Wire {
    std::deque<ScriptedAnswer> script;
    std::vector<std::string> sent;
    bool refuse = false;
};

Wire& TheWire() {
    static Wire wire;
    return wire;
}

// The one connection in flight; the driver never holds two at once.
struct Connection {
    ScriptedAnswer answer;
    size_t offset = 0;
    size_t piece = 0;
};

Connection& Current() {
    static Connection connection;
    return connection;
}

}  // namespace

void FakeWire::Reset() {
    TheWire() = Wire();
    Current() = Connection();
}

void FakeWire::Queue(ScriptedAnswer answer) { TheWire().script.push_back(std::move(answer)); }

void FakeWire::RefuseConnections(bool refuse) { TheWire().refuse = refuse; }

const std::vector<std::string>& FakeWire::Sent() { return TheWire().sent; }

}  // namespace zarvik::fuzz

namespace zarvik::platform {

using fuzz::Current;
using fuzz::TheWire;

std::optional<Ipv4Address> ResolveIpv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    return Ipv4Address{0x0100007Fu, false};
}

bool Socket::Open() {
    handle_ = 1;
    return true;
}

bool Socket::Connect(const Ipv4Address&, uint16_t, std::chrono::milliseconds) {
    if (TheWire().refuse) return false;
    auto& script = TheWire().script;
    Current() = fuzz::Connection();
    if (!script.empty()) {
        Current().answer = std::move(script.front());
        script.pop_front();
    }
    TheWire().sent.emplace_back();
    return true;
}

bool Socket::SendAll(const char* data, size_t size) {
    if (!IsOpen()) return false;
    TheWire().sent.back().append(data, size);
    return true;
}

long Socket::Receive(char* buffer, size_t size) {
    if (!IsOpen()) return -1;
    auto& connection = Current();
    const std::string& bytes = connection.answer.bytes;
    if (connection.offset >= bytes.size()) return connection.answer.failAfter ? -1 : 0;
    size_t take = bytes.size() - connection.offset;
    if (connection.piece < connection.answer.pieces.size()) {
        take = std::min(take, std::max<size_t>(1, connection.answer.pieces[connection.piece++]));
    }
    take = std::min(take, size);
    std::memcpy(buffer, bytes.data() + connection.offset, take);
    connection.offset += take;
    return static_cast<long>(take);
}

void Socket::Close() {
    handle_ = kInvalid;
    winsockStarted_ = false;
}

}  // namespace zarvik::platform
