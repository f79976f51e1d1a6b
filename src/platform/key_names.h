// The key names of the key-string syntax ("{ENTER}", "{F5}") and their
// virtual-key codes.
#pragma once

#include <cstdint>
#include <string>

namespace nura {

// The virtual key of a key name of the braced syntax (any case); 0 when
// the name is none of the 42.
uint8_t KeyNameToVirtualKey(const std::string& name);

}  // namespace nura
