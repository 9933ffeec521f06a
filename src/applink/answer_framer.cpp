#include "applink/answer_framer.h"

namespace zarvik {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

AnswerFramer::State AnswerFramer::Feed(const char* data, size_t size) {
    for (size_t i = 0; i < size && state_ == State::Incomplete; ++i) {
        const char c = data[i];
        if (!started_) {
            if (IsBlank(c)) continue;
            started_ = true;
            // Only an object is an answer; anything else can only fail to
            // parse, and waiting for its end could mean waiting for ever.
            if (c != '{') {
                state_ = State::Complete;
                break;
            }
            depth_ = 1;
            continue;
        }
        if (inString_) {
            if (escaped_) {
                escaped_ = false;
            } else if (c == '\\') {
                escaped_ = true;
            } else if (c == '"') {
                inString_ = false;
            }
            continue;
        }
        switch (c) {
            case '"':
                inString_ = true;
                break;
            case '{':
            case '[':
                if (++depth_ > kMaxDepth) state_ = State::TooDeep;
                break;
            case '}':
            case ']':
                if (--depth_ == 0) state_ = State::Complete;
                break;
            default:
                break;
        }
    }
    return state_;
}

}  // namespace zarvik
