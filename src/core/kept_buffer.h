// The one rule for memory kept from one call to the next: a till sends
// receipts of much the same size all day, so their buffers serve again instead
// of being taken from the system and given back on every call; what a giant
// receipt grew beyond the bound is given back when the call ends.
#pragma once

#include <cstddef>
#include <utility>

namespace zarvik {

constexpr size_t kKeptBytesAtMost = 16 << 20;

// `buffer` is a std::string or std::vector.
template <typename Buffer>
void GiveBackGiant(Buffer& buffer) {
    if (buffer.capacity() * sizeof(typename Buffer::value_type) > kKeptBytesAtMost) {
        Buffer().swap(buffer);
    }
}

}  // namespace zarvik
