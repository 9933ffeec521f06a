// An in-process stand-in for the companion application's end of the wire,
// linked into the fuzz programs in place of the real sockets: every
// connection takes the next scripted answer and hands it out in the scripted
// pieces, so the real reader, JSON-RPC client and app call frame run
// unchanged, without threads, ports or waiting.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zarvik::fuzz {

struct ScriptedAnswer {
    std::string bytes;
    std::vector<size_t> pieces;  // sizes of the successive reads; the rest in one go
    bool failAfter = false;      // a read error instead of the peer's close at the end
};

class FakeWire {
  public:
    // Forgets everything: no answers, connections accepted.
    static void Reset();
    // Answers for the next connections, in order; a connection beyond the
    // script finds a peer that closes at once.
    static void Queue(ScriptedAnswer answer);
    static void RefuseConnections(bool refuse);
    // Every request sent so far, one string per connection.
    static const std::vector<std::string>& Sent();
};

}  // namespace zarvik::fuzz
