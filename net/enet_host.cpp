#include "net/enet_host.h"

#include <cstdlib>

#include "net/protocol.h"

namespace net {
namespace {

int gUsers = 0;

// No message of the game comes near this: a larger one is cut off by ENet
// itself, before it is gathered, and one between kMaxMessageBytes and this
// reaches the game, which drops its peer saying why.
constexpr size_t kLargestPacket = 4096;
constexpr size_t kMostWaitingBytes = 64 * 1024;

bool Initialise(std::string& error) {
  if (gUsers == 0 && enet_initialize() != 0) {
    error = "cannot start the network library";
    return false;
  }
  ++gUsers;
  return true;
}

void Release() {
  if (--gUsers == 0) enet_deinitialize();
}

}  // namespace

EnetHost::~EnetHost() {
  if (host_ == nullptr) return;
  enet_host_flush(host_);
  enet_host_destroy(host_);
  Release();
}

bool EnetHost::Listen(uint16_t port, size_t peers, std::string& error) {
  if (!Initialise(error)) return false;
  ENetAddress address;
  address.host = ENET_HOST_ANY;
  address.port = port;
  host_ = enet_host_create(&address, peers, kChannelCount, 0, 0);
  if (host_ == nullptr) {
    Release();
    error = "cannot listen on port " + std::to_string(port) + " (is another game or server using it?)";
    return false;
  }
  Limit();
  return true;
}

uint16_t EnetHost::Port() const {
  ENetAddress address{};
  if (!host_ || enet_socket_get_address(host_->socket, &address) != 0) return 0;
  return address.port;
}

void EnetHost::Limit() {
  host_->maximumPacketSize = kLargestPacket;
  host_->maximumWaitingData = kMostWaitingBytes;
}

bool EnetHost::Connect(const std::string& host, uint16_t port, std::string& error) {
  if (!Initialise(error)) return false;
  host_ = enet_host_create(nullptr, 1, kChannelCount, 0, 0);
  if (host_ == nullptr) {
    Release();
    error = "cannot open a network socket";
    return false;
  }
  Limit();
  ENetAddress address;
  if (enet_address_set_host(&address, host.c_str()) != 0) {
    error = "cannot find the host \"" + host + "\"";
    return false;
  }
  address.port = port;
  server_ = enet_host_connect(host_, &address, kChannelCount, kProtocolVersion);
  if (server_ == nullptr) {
    error = "cannot connect to " + host;
    return false;
  }
  enet_peer_timeout(server_, 0, kTimeoutMs / 2, kTimeoutMs);
  return true;
}

bool EnetHost::Service(ENetEvent& event, uint32_t timeoutMs) {
  const int got = enet_host_service(host_, &event, timeoutMs);
  Count();
  return got > 0;
}

void EnetHost::Send(ENetPeer* peer, Channel channel, const std::vector<uint8_t>& bytes) const {
  if (peer == nullptr || bytes.empty()) return;
  const uint32_t flags = channel == kChannelReliable ? ENET_PACKET_FLAG_RELIABLE : 0;
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
  if (packet && enet_peer_send(peer, channel, packet) != 0) enet_packet_destroy(packet);
}

void EnetHost::Broadcast(Channel channel, const std::vector<uint8_t>& bytes) const {
  const uint32_t flags = channel == kChannelReliable ? ENET_PACKET_FLAG_RELIABLE : 0;
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
  if (packet) enet_host_broadcast(host_, channel, packet);
}

void EnetHost::Flush() {
  enet_host_flush(host_);
  Count();
}

void EnetHost::Count() {
  // ENet's own counters are 32 bits and wrap; they are taken and reset.
  sent_ += host_->totalSentData;
  received_ += host_->totalReceivedData;
  host_->totalSentData = 0;
  host_->totalReceivedData = 0;
}

bool SplitAddress(const std::string& address, std::string& host, uint16_t& port,
                  std::string& error) {
  host = address;
  port = kDefaultPort;
  const size_t colon = address.rfind(':');
  if (colon == std::string::npos) {
    if (host.empty()) error = "no host given";
    return !host.empty();
  }
  host = address.substr(0, colon);
  const std::string digits = address.substr(colon + 1);
  char* end = nullptr;
  const long value = std::strtol(digits.c_str(), &end, 10);
  if (digits.empty() || *end != '\0' || value < 1 || value > 65535 || host.empty()) {
    error = "\"" + address + "\" is not HOST or HOST:PORT with a port from 1 to 65535";
    return false;
  }
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace net
