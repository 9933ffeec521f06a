#include "platform/socket.h"

namespace zarvik::platform {

void Socket::close() { handle_ = kInvalid; }

}  // namespace zarvik::platform
