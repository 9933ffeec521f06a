#include "applink/tcp_client.h"

namespace zarvik {

void TCPClient::close() { socket_.close(); }

}  // namespace zarvik
