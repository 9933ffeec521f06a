#include "applink/tcp_client.h"

#include "applink/answer_framer.h"

namespace zarvik {

namespace {

// Ours to choose: larger reads only mean fewer system calls.
constexpr size_t kReadSize = 4096;

}  // namespace

void TCPClient::connect(const std::string& host, uint16_t port) {
    // A connection left over from an interrupted exchange is never reused.
    if (!socket_.open()) {
        close();
        throw ConnectionErrorException("Could not create socket");
    }
    const auto address = platform::ResolveIpv4(host);
    if (!address) {
        close();
        throw ResolveHostnameErrorException("Failed to resolve hostname");
    }
    if (!socket_.connect(*address, port)) {
        close();
        throw ConnectionErrorException("Connect failed");
    }
}

void TCPClient::send(const std::string& data) {
    if (!socket_.sendAll(data.data(), data.size())) {
        close();
        throw ConnectionErrorException("Send data failed");
    }
}

std::string TCPClient::receive() {
    std::string answer;
    AnswerFramer framer;
    char buffer[kReadSize];
    for (;;) {
        const long got = socket_.receive(buffer, sizeof buffer);
        if (got < 0) {
            close();
            throw ConnectionErrorException("Recv data failed");
        }
        if (got == 0) return answer;
        const auto size = static_cast<size_t>(got);
        if (answer.size() + size > kMaxAnswerBytes) {
            close();
            throw AnswerRefusedException("Response larger than 64 MiB");
        }
        answer.append(buffer, size);
        switch (framer.feed(buffer, size)) {
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

void TCPClient::close() { socket_.close(); }

}  // namespace zarvik
