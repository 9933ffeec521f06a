#include "applink/tcp_client.h"

#include <algorithm>

#include "applink/answer_framer.h"

namespace zarvik {

namespace {

// Ours to choose: larger reads only mean fewer system calls, which count
// under wine and for the large answers. Reads grow with the answer, so that a
// short answer does not pay for clearing room it never fills.
constexpr size_t kFirstReadSize = 4 * 1024;
constexpr size_t kReadSize = 64 * 1024;

}  // namespace

void TCPClient::connect(const std::string& host, uint16_t port, std::chrono::milliseconds limit) {
    // A connection left over from an interrupted exchange is never reused.
    if (!socket_.Open()) {
        close();
        throw ConnectionErrorException("Could not create socket");
    }
    const auto address = platform::ResolveIpv4(host);
    if (!address) {
        close();
        throw ResolveHostnameErrorException("Failed to resolve hostname");
    }
    const auto started = std::chrono::steady_clock::now();
    if (!socket_.Connect(*address, port, limit)) {
        close();
        // Support tells a wrong address (nobody answers) from a stopped application.
        const bool ranOut = std::chrono::steady_clock::now() - started >= limit;
        throw ConnectionErrorException(ranOut ? "Connect timed out" : "Connect failed");
    }
}

void TCPClient::send(const std::string& data) {
    if (!socket_.SendAll(data.data(), data.size())) {
        close();
        throw ConnectionErrorException("Send data failed");
    }
}

std::string TCPClient::receive() {
    std::string answer;
    AnswerFramer framer;
    for (;;) {
        // Read straight into the answer's tail.
        const size_t held = answer.size();
        const size_t room = std::min(std::max(held, kFirstReadSize), kReadSize);
        answer.resize(held + room);
        const long got = socket_.Receive(&answer[held], room);
        if (got < 0) {
            close();
            throw ConnectionErrorException("Recv data failed");
        }
        const auto size = static_cast<size_t>(got);
        answer.resize(held + size);
        if (size == 0) return answer;
        if (answer.size() > kMaxAnswerBytes) {
            close();
            throw AnswerRefusedException("Response larger than 64 MiB");
        }
        switch (framer.Feed(answer.data() + held, size)) {
            case AnswerFramer::State::Complete:
                return answer;
            case AnswerFramer::State::TooDeep:
                close();
                throw AnswerRefusedException("Response nested too deeply");
            case AnswerFramer::State::Incomplete:
                break;
        }
    }
}

void TCPClient::close() { socket_.Close(); }

}  // namespace zarvik
