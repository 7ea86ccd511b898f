#pragma once
#include <cstdint>

// The stamp of a new level query: the tick count, or one past the previous
// query's stamp when the clock has not moved on since, so that two queries
// made with the same tag in one millisecond still test every triangle. A
// query marks each triangle it tests with its tag and stamp (see
// LevelTriangle) and so tests a triangle listed by several leaves once.
uint32_t NextQueryStamp();
