// The link-time replacement of src/platform/socket.cpp for the fuzz programs.
#include <algorithm>
#include <cstring>

#include "fuzz_support.h"
#include "platform/socket.h"

namespace zarvik::platform {

using fuzz::Wire;

std::optional<Ipv4Address> ResolveIpv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    return Ipv4Address{0x0100007Fu, false};
}

bool Socket::Open() {
    handle_ = 1;
    return true;
}

bool Socket::Connect(const Ipv4Address&, uint16_t, std::chrono::milliseconds) {
    auto& wire = Wire();
    wire.current = {};
    wire.offset = wire.piece = 0;
    if (!wire.script.empty()) {
        wire.current = std::move(wire.script.front());
        wire.script.pop_front();
    }
    wire.sent.emplace_back();
    return true;
}

bool Socket::SendAll(const char* data, size_t size) {
    if (!IsOpen()) return false;
    Wire().sent.back().append(data, size);
    return true;
}

long Socket::Receive(char* buffer, size_t size) {
    auto& wire = Wire();
    const std::string& bytes = wire.current.bytes;
    if (!IsOpen()) return -1;
    if (wire.offset >= bytes.size()) return wire.current.failAfter ? -1 : 0;
    size_t take = std::min(size, bytes.size() - wire.offset);
    if (wire.piece < wire.current.pieces.size()) {
        take = std::min(take, std::max<size_t>(1, wire.current.pieces[wire.piece++]));
    }
    std::memcpy(buffer, bytes.data() + wire.offset, take);
    wire.offset += take;
    return static_cast<long>(take);
}

void Socket::Close() {
    handle_ = kInvalid;
    winsockStarted_ = false;
}

}  // namespace zarvik::platform
