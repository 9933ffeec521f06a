// The floor: what one exchange with the companion costs with no driver at
// all. A bare client connects, sends the bytes the driver sent, reads the
// answer up to its line end and closes, like the driver, one connection per
// request.
#pragma once

#include <cstdint>
#include <string>

namespace zarvik::bench {

// False when any step fails or the answer does not end in a line feed.
bool BareRoundTrip(uint16_t port, const std::string& request);

}  // namespace zarvik::bench
