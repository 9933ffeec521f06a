// The cheapest companion application that still speaks the protocol: it reads
// one request line, answers it from a table of canned results with the
// request's id and closes. Its own cost is paid equally by the driver's calls
// and by the bare round trips they are compared with, so it should be small
// and, above all, flat in the size of the request: nothing of a request is
// kept or parsed beyond its first bytes.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace zarvik::bench {

class LoopbackCompanion {
  public:
    LoopbackCompanion();  // 127.0.0.1, an ephemeral port
    ~LoopbackCompanion();
    LoopbackCompanion(const LoopbackCompanion&) = delete;
    LoopbackCompanion& operator=(const LoopbackCompanion&) = delete;

    uint16_t port() const { return port_; }

    // The "result" member's JSON text for a method; set before the calls.
    void answer(const std::string& method, const std::string& resultJson);

    // While capturing, every request is kept whole under its method (the
    // last one wins), so a bare round trip can later send the same bytes.
    void capture(bool on);
    std::string captured(const std::string& method) const;

    // The answer line the companion gives to a request of that method and id.
    std::string answerLine(const std::string& method, const std::string& id) const;

  private:
    void run();
    void serve(int connection);

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> capturing_{false};
    std::thread thread_;

    mutable std::mutex resultsMutex_;
    std::map<std::string, std::string> results_;
    mutable std::mutex capturedMutex_;
    std::map<std::string, std::string> captured_;
};

}  // namespace zarvik::bench
