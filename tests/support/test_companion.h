// A scriptable companion application for tests and the benchmark: a JSON-RPC
// server on 127.0.0.1 (an ephemeral port) running on its own thread inside
// the process, so the same tests run on Linux and under wine.
//
//   TestCompanion companion;
//   component.Connect("127.0.0.1", companion.port());
//   companion.onResult("OpenShift", R"({"SessionNumber":5})");
//   companion.onError("CloseShift", -1, "Смена не открыта");
//   companion.onRaw("DeviceTest", bytes, Delivery().inPieces(3, 50ms).thenClose());
//   companion.onClose("GetDataKKT");                 // close without answering
//   companion.onReset("GetDataKKT");                 // reset: the driver's read fails
//   ... call the driver ...
//   companion.requests()[0].raw  // the request bytes exactly as received
//
// One connection is served at a time. A request is read up to the line feed
// that ends it and recorded before anything is answered, so once the driver's
// call has returned its requests are all in requests(). Answers of onResult
// and onError are one compact line ending in "\n" with the request's id, and
// the connection is then held until the driver closes it, the way general
// JSON-RPC servers behave; onRaw sends its bytes verbatim and then closes.
// A method nobody scripted gets the error -32601 "Method not found".
// With record(false) a request is neither kept nor parsed: its method and id
// are taken from its first bytes, so that the companion's own cost stays small
// and flat in the request's size (the benchmark's floor).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zarvik::test {

// How an answer is put on the wire.
struct Delivery {
    int pieces = 1;                      // nearly equal writes
    std::chrono::milliseconds pause{0};  // between two pieces
    bool closeAfter = false;             // close once the last piece is out
    std::string trailing;                // bytes sent right after the answer, in its last piece

    Delivery& inPieces(int count, std::chrono::milliseconds gap) {
        pieces = count;
        pause = gap;
        return *this;
    }
    Delivery& thenClose() {
        closeAfter = true;
        return *this;
    }
    Delivery& keepOpen() {
        closeAfter = false;
        return *this;
    }
    Delivery& withTrailing(std::string bytes) {
        trailing = std::move(bytes);
        return *this;
    }
};

struct RecordedRequest {
    std::string raw;  // every byte received, up to and including the line feed
    std::string method;
    std::string id;      // the "id" member as compact JSON text, e.g. "-5"
    std::string params;  // the "params" member as compact JSON text, e.g. ["POS-1",17]
    std::vector<std::string> paramList;  // each element of "params" as compact JSON text
};

class TestCompanion {
  public:
    explicit TestCompanion(uint16_t port = 0);  // 0: an ephemeral port; see listening()
    ~TestCompanion();
    TestCompanion(const TestCompanion&) = delete;
    TestCompanion& operator=(const TestCompanion&) = delete;

    bool listening() const { return listener_ != kNoSocket; }
    uint16_t port() const { return port_; }

    // Scripts, one per method; scripting a method again replaces its script.
    void onResult(const std::string& method, const std::string& resultJson,
                  Delivery delivery = Delivery());
    void onError(const std::string& method, int code, const std::string& message,
                 Delivery delivery = Delivery());
    void onRaw(const std::string& method, std::string bytes,
               Delivery delivery = Delivery().thenClose());
    void onClose(const std::string& method);  // reads the request, closes without a byte
    void onReset(const std::string& method);  // reads the request, resets the connection

    void record(bool on) { recording_ = on; }
    std::vector<RecordedRequest> requests() const;
    void clear();  // forgets the recorded requests

    // A loopback port on which nobody listens.
    static uint16_t ClosedPort();

  private:
    enum class Kind { Answer, Raw, Reset };
    struct Script {
        Kind kind = Kind::Answer;
        std::string
            body;  // Answer: the member after "id" ("result":... or "error":...); Raw: bytes
        Delivery delivery;
    };

    static constexpr intptr_t kNoSocket = -1;

    void script(const std::string& method, Script script);
    void run();
    void serve(intptr_t connection);

    intptr_t listener_ = kNoSocket;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> recording_{true};
    std::thread thread_;

    mutable std::mutex mutex_;
    std::map<std::string, Script> scripts_;
    std::vector<RecordedRequest> requests_;
};

}  // namespace zarvik::test
