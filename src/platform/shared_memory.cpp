#include "platform/shared_memory.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>

namespace nura {
namespace {

// The System V key of a block name: a hash of it (FNV-1a) in the range of
// positive keys, so that programs of this run-time meet at the same block.
key_t KeyOf(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (const unsigned char c : "nurasera:" + name) hash = (hash ^ c) * 16777619u;
  return static_cast<key_t>(hash & 0x7FFFFFFF) | 1;
}

}  // namespace

TSharedMemoryBlock::TSharedMemoryBlock() = default;

// The last program that lets go of a block removes it.
TSharedMemoryBlock::~TSharedMemoryBlock() {
  if (!data_) return;
  ::shmdt(data_);
  shmid_ds info {};
  if (::shmctl(id_, IPC_STAT, &info) == 0 && info.shm_nattch == 0) ::shmctl(id_, IPC_RMID, nullptr);
}

bool TSharedMemoryBlock::Open(const std::string& name, int64_t size) {
  if (size <= 0 || size > INT32_MAX || data_) return false;
  const key_t key = KeyOf(name);
  bool made = true;
  int id = ::shmget(key, static_cast<size_t>(size), IPC_CREAT | IPC_EXCL | 0600);
  if (id < 0 && errno == EEXIST) {
    // Another program made it first: use its block when it is large enough.
    made = false;
    id = ::shmget(key, 0, 0600);
  }
  if (id < 0) return false;
  shmid_ds info {};
  if (!made && (::shmctl(id, IPC_STAT, &info) != 0 || static_cast<int64_t>(info.shm_segsz) < size)) return false;
  void* data = ::shmat(id, nullptr, 0);
  if (data == reinterpret_cast<void*>(-1)) return false;
  id_ = id;
  data_ = static_cast<char*>(data);
  if (made) std::memset(data_, 0, static_cast<size_t>(size));
  return true;
}

char* TSharedMemoryBlock::Data() { return data_; }

}  // namespace nura
