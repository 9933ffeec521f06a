// Buffers kept from one call to the next: a till sends receipts of much the
// same size all day, so their memory serves again instead of being taken from
// the system and given back on every call. What a giant receipt grew is given
// back.
#pragma once

#include <cstddef>
#include <string>

namespace zarvik {

// Gives the buffer's memory back once it has room for more than `most` bytes.
inline void LetGoOfGiant(std::string& buffer, size_t most) {
    if (buffer.capacity() > most) std::string().swap(buffer);
}

// The same when the scope is left, whichever way.
class LetGoOfGiantOnExit {
  public:
    LetGoOfGiantOnExit(std::string& buffer, size_t most) : buffer_(buffer), most_(most) {}
    ~LetGoOfGiantOnExit() { LetGoOfGiant(buffer_, most_); }
    LetGoOfGiantOnExit(const LetGoOfGiantOnExit&) = delete;
    LetGoOfGiantOnExit& operator=(const LetGoOfGiantOnExit&) = delete;

  private:
    std::string& buffer_;
    size_t most_;
};

// The most a request line or a receipt's text keeps between calls.
constexpr size_t kKeptTextAtMost = 16 << 20;

}  // namespace zarvik
