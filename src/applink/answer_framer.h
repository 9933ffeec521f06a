// Where one answer of the companion application ends. The answer is one JSON
// value and nothing promises that the peer closes the connection after it or
// that it arrives in one piece, so the bytes are followed as they come:
// nesting outside strings, strings and their escapes.
#pragma once

#include <cstddef>

namespace zarvik {

class AnswerFramer {
  public:
    enum class State {
        Incomplete,  // more bytes are needed
        Complete,    // a whole value has arrived, or the first byte shows it is no object
        TooDeep,     // nested deeper than any answer of ours; reading must stop
    };

    // Deeper than any result the companion application gives, far below what
    // could hurt the stack of whoever walks the parsed value.
    static constexpr int kMaxDepth = 64;

    // Takes the next bytes of the answer; bytes after the end of the value
    // change nothing.
    State Feed(const char* data, size_t size);

  private:
    State state_ = State::Incomplete;
    bool started_ = false;
    bool inString_ = false;
    bool escaped_ = false;
    int depth_ = 0;
};

}  // namespace zarvik
