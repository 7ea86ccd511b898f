#include "level/octree.h"

#include <utility>

#include "level/octree_ray_index.h"
#include "level/query_stamp.h"
#include "platform/clock.h"

uint32_t NextQueryStamp() {
  static uint32_t last = 0;
  static bool issued = false;
  uint32_t now = platform::Ticks();
  // Not ahead of the last stamp (allowing for the counter's wrap): move on
  // by one instead of reusing it.
  uint32_t ahead = now - last;
  if (issued && (ahead == 0 || ahead > 0x80000000u)) now = last + 1;
  last = now;
  issued = true;
  return now;
}

// Out of line, where the ray index is a complete type.
Octree::Octree() = default;
Octree::~Octree() = default;

Octree::Octree(Octree&& other) noexcept
    : root_(other.root_),
      levelCount_(other.levelCount_),
      nodes_(std::move(other.nodes_)),
      refs_(std::move(other.refs_)),
      cellsPerAxis_(std::move(other.cellsPerAxis_)),
      cellSize_(std::move(other.cellSize_)),
      grid_(std::move(other.grid_)),
      offset_(other.offset_),
      rayIndex_(std::move(other.rayIndex_)) {
  other.Clear();
}

Octree& Octree::operator=(Octree&& other) noexcept {
  if (this == &other) return *this;
  Clear();
  // Moving a vector hands over its buffer, so `root_` keeps pointing at the
  // same node.
  root_ = other.root_;
  levelCount_ = other.levelCount_;
  nodes_ = std::move(other.nodes_);
  refs_ = std::move(other.refs_);
  cellsPerAxis_ = std::move(other.cellsPerAxis_);
  cellSize_ = std::move(other.cellSize_);
  grid_ = std::move(other.grid_);
  offset_ = other.offset_;
  rayIndex_ = std::move(other.rayIndex_);
  other.Clear();
  return *this;
}

void Octree::Clear() {
  decltype(nodes_)().swap(nodes_);
  decltype(refs_)().swap(refs_);
  rayIndex_.reset();
  std::vector<int32_t>().swap(cellsPerAxis_);
  std::vector<Vector3>().swap(cellSize_);
  decltype(grid_)().swap(grid_);
  root_ = nullptr;
  levelCount_ = 0;
}

size_t Octree::MemoryBytes() const {
  // The references' run is reserved for the most the file could hold, but
  // only the pages written are ever backed by memory.
  size_t bytes = nodes_.capacity() * sizeof(OctreeNode) + refs_.size() * sizeof(uint32_t) +
                 grid_.capacity() * sizeof(grid_[0]);
  for (const auto& cells : grid_) bytes += cells.capacity() * sizeof(int32_t);
  if (rayIndex_) bytes += rayIndex_->MemoryBytes();
  return bytes;
}

int32_t Octree::NodeInCell(int32_t depth, int32_t x, int32_t y, int32_t z) const {
  const CellTable& cells = grid_[depth];
  const int32_t n = 1 << depth;
  if (!cells.empty()) return cells[(static_cast<size_t>(x) * n + y) * n + z];
  const int32_t index =
      static_cast<int32_t>(CompleteOctreeNodeCount(depth) + OctreeLayoutPosition(x, y, z));
  return nodes_[index].IsPresent() ? index : -1;
}
