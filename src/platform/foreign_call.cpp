#include "platform/foreign_call.h"

#include <dlfcn.h>
#include <ffi.h>

#include <cstring>

namespace nura {
namespace {

bool EndsWithDll(const std::string& name) {
  return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

void* OpenOne(const std::string& name) { return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL); }

ffi_type* TypeOf(ForeignType type) {
  switch (type) {
    case ForeignType::Void: return &ffi_type_void;
    case ForeignType::Pointer: return &ffi_type_pointer;
    case ForeignType::Int32: return &ffi_type_sint32;
    case ForeignType::UInt32: return &ffi_type_uint32;
    case ForeignType::UInt16: return &ffi_type_uint16;
  }
  return &ffi_type_void;
}

// One argument's storage, of the width that libffi reads for its type.
union ArgSlot {
  int32_t i32;
  uint32_t u32;
  uint16_t u16;
  void* ptr;
};

ArgSlot SlotOf(const ForeignArg& arg) {
  ArgSlot slot{};
  switch (arg.type) {
    case ForeignType::Pointer: slot.ptr = arg.pointer; break;
    case ForeignType::Int32: slot.i32 = static_cast<int32_t>(static_cast<uint32_t>(arg.integer)); break;
    case ForeignType::UInt32: slot.u32 = static_cast<uint32_t>(arg.integer); break;
    case ForeignType::UInt16: slot.u16 = static_cast<uint16_t>(arg.integer); break;
    case ForeignType::Void: break;
  }
  return slot;
}

int64_t Widen(ForeignType type, const ffi_arg& raw) {
  switch (type) {
    case ForeignType::Void: return 0;
    case ForeignType::Pointer: return static_cast<int64_t>(raw);
    case ForeignType::Int32: return static_cast<int32_t>(static_cast<uint32_t>(raw));
    case ForeignType::UInt32: return static_cast<uint32_t>(raw);
    case ForeignType::UInt16: return static_cast<uint16_t>(raw);
  }
  return 0;
}

}  // namespace

void* LoadForeignLibrary(const std::string& nativeName) {
  if (nativeName.empty()) return nullptr;
  if (void* handle = OpenOne(nativeName)) return handle;
  if (nativeName.find('/') != std::string::npos) return nullptr;
  const std::string stem =
      EndsWithDll(nativeName) ? nativeName.substr(0, nativeName.size() - 4) : nativeName;
  if (EndsWithDll(nativeName)) {
    if (void* handle = OpenOne(stem + ".so")) return handle;
  }
  return OpenOne("lib" + stem + ".so");
}

void UnloadForeignLibrary(void* handle) {
  if (handle) dlclose(handle);
}

void* FindForeignFunction(void* library, const std::string& name) {
  if (!library || name.empty()) return nullptr;
  return dlsym(library, name.c_str());
}

bool CallForeign(void* entry, ForeignType result, const std::vector<ForeignArg>& args,
                 int64_t& value) {
  value = 0;
  if (!entry || args.size() > kMaxForeignArgs) return false;
  std::vector<ffi_type*> types;
  std::vector<ArgSlot> slots;
  for (const ForeignArg& arg : args) {
    if (arg.type == ForeignType::Void) continue;  // a void parameter passes nothing
    types.push_back(TypeOf(arg.type));
    slots.push_back(SlotOf(arg));
  }
  std::vector<void*> values;
  for (ArgSlot& slot : slots) values.push_back(&slot);
  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, static_cast<unsigned>(types.size()), TypeOf(result),
                   types.data()) != FFI_OK) {
    return false;
  }
  ffi_arg raw = 0;  // integer results come back widened to a full register
  ffi_call(&cif, reinterpret_cast<void (*)()>(entry), result == ForeignType::Void ? nullptr : &raw,
           values.data());
  value = Widen(result, raw);
  return true;
}

}  // namespace nura
