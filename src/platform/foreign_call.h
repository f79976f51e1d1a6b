// Functions of shared libraries that a script names: loading a library by
// its (Windows) file name, finding an exported function, and calling it
// through libffi with the C calling convention of the platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nura {

// Loads a library. `nativeName` is a native UTF-8 name or path. A name
// without "/" is tried as given, then with ".so" in place of a ".dll"
// ending, then as "lib" + name without ".dll" + ".so" (so "user32.dll"
// tries "user32.dll", "user32.so", "libuser32.so"). Nil when none loads;
// an empty name never loads (it would give the program itself).
void* LoadForeignLibrary(const std::string& nativeName);

// Releases a handle of LoadForeignLibrary; nil is ignored.
void UnloadForeignLibrary(void* handle);

// The entry address of the exported function `name`; nil when missing.
void* FindForeignFunction(void* library, const std::string& name);

// The C types a call passes and returns. Int32 covers int and 32-bit
// BOOL; UInt32 a DWORD; UInt16 a WORD; Pointer a 64-bit address.
enum class ForeignType { Void, Pointer, Int32, UInt32, UInt16 };

struct ForeignArg {
  ForeignType type = ForeignType::Int32;
  int64_t integer = 0;      // the integer types (taken modulo their width)
  void* pointer = nullptr;  // Pointer
};

// Calls `entry` with `args` (at most kMaxForeignArgs) and returns the
// result widened to 64 bits: sign-extended for Int32, zero-extended for
// the unsigned types, the address for Pointer, 0 for Void. False when the
// call cannot be prepared (no entry, too many arguments, libffi refuses).
constexpr size_t kMaxForeignArgs = 64;
bool CallForeign(void* entry, ForeignType result, const std::vector<ForeignArg>& args,
                 int64_t& value);

}  // namespace nura
