#pragma once
#include <enet/enet.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/protocol.h"

namespace net {

// One ENet host, the library started while any is alive. A server listens
// on a port; a client has one peer, the server.
class EnetHost {
 public:
  EnetHost() = default;
  ~EnetHost();
  EnetHost(const EnetHost&) = delete;
  EnetHost& operator=(const EnetHost&) = delete;

  // Listens on every address at `port` for up to `peers` peers; port 0
  // takes any free one, which Port() then tells.
  bool Listen(uint16_t port, size_t peers, std::string& error);
  uint16_t Port() const;
  // Starts connecting to `host`:`port`; Service reports the connection.
  bool Connect(const std::string& host, uint16_t port, std::string& error);

  // The next event within `timeoutMs`; false when none came.
  bool Service(ENetEvent& event, uint32_t timeoutMs);
  void Send(ENetPeer* peer, Channel channel, const std::vector<uint8_t>& bytes) const;
  void Broadcast(Channel channel, const std::vector<uint8_t>& bytes) const;
  void Flush();

  ENetHost* Raw() const { return host_; }
  ENetPeer* Server() const { return server_; }
  // Bytes sent and received by this host since it started, as ENet counts
  // them (UDP payloads, headers included).
  uint64_t BytesSent() const { return sent_; }
  uint64_t BytesReceived() const { return received_; }

 private:
  // Limits what a peer may make this host hold for it.
  void Limit();
  void Count();

  ENetHost* host_ = nullptr;
  ENetPeer* server_ = nullptr;
  uint64_t sent_ = 0;
  uint64_t received_ = 0;
};

// HOST or HOST:PORT, the port kDefaultPort when not given; false, with the
// reason in `error`, when the port is not a number from 1 to 65535.
bool SplitAddress(const std::string& address, std::string& host, uint16_t& port,
                  std::string& error);

}  // namespace net
