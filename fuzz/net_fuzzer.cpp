// libFuzzer target for the network message decoder: any bytes a peer sends
// are either refused with a reason or give a message whose every field is in
// range; a snapshot's entity difference is read onto a base as a client
// would. Built and run by scripts/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/byte_reader.h"
#include "net/messages.h"

namespace {

std::vector<net::EntityState> Base() {
  std::vector<net::EntityState> base(5);
  for (size_t i = 0; i < base.size(); ++i) {
    base[i].id = static_cast<uint16_t>(3 * i + 1);
    base[i].x = static_cast<int32_t>(100 * i);
  }
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  net::Message message;
  std::string error;
  if (!net::Decode(data, size, message, error)) return 0;
  if (message.type == net::MessageType::kSnapshot) {
    static const std::vector<net::EntityState> base = Base();
    for (const std::vector<net::EntityState>* from : {&base, static_cast<const std::vector<net::EntityState>*>(nullptr)}) {
      ByteReader reader(message.snapshot.delta);
      std::vector<net::EntityState> now;
      static const std::vector<net::EntityState> kNothing;
      if (net::ReadEntityDelta(reader, from ? *from : kNothing, now)) {
        // A difference read gives entities in order, each of a known kind.
        for (size_t i = 1; i < now.size(); ++i) {
          if (now[i - 1].id >= now[i].id) __builtin_trap();
        }
      }
    }
  }
  if (message.type == net::MessageType::kHello && !net::IsValidName(message.hello.name) &&
      !message.hello.name.empty()) {
    __builtin_trap();
  }
  return 0;
}
