#include "platform/shared_memory.h"

#include <QSharedMemory>
#include <cstring>

#include "platform/sjis.h"

namespace nura {

TSharedMemoryBlock::TSharedMemoryBlock() = default;

TSharedMemoryBlock::~TSharedMemoryBlock() {
  if (memory_ && memory_->isAttached()) memory_->detach();
}

bool TSharedMemoryBlock::Open(const std::string& name, int64_t size) {
  if (size <= 0 || size > INT32_MAX) return false;
  memory_ = std::make_unique<QSharedMemory>(QStringLiteral("nurasera:") + SjisToQString(name));
  if (memory_->create(static_cast<qsizetype>(size))) {
    std::memset(memory_->data(), 0, static_cast<size_t>(size));
    return true;
  }
  // Another program made it first: use its block when it is large enough.
  return memory_->error() == QSharedMemory::AlreadyExists && memory_->attach() &&
         memory_->size() >= size;
}

char* TSharedMemoryBlock::Data() {
  return memory_ && memory_->isAttached() ? static_cast<char*>(memory_->data()) : nullptr;
}

}  // namespace nura
