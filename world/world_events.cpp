#include "world/world_events.h"

void PostEvent(const WorldEvent& event) {
  if (gWorldEvents) gWorldEvents->push_back(event);
}
