// File associations the desktop's way: a MIME type for an extension (a
// shared-MIME-info package installed with xdg-mime) and a desktop entry
// that opens such files with the program, made the type's default. Only
// the user's own folders ($XDG_DATA_HOME, $XDG_CONFIG_HOME) change. Text
// is native UTF-8; failures are reported by the result.
#pragma once

#include <string>

namespace nura {

// The MIME type that an association of `extension` (without its dot)
// registers: "application/x-nurasera-" and the extension, lower case,
// with bytes other than letters, digits, "+" and "-" written as "_XX".
std::string AssociationMimeType(const std::string& extension);

// Registers files ending in "." + `extension` to open with `program`.
bool RegisterDesktopAssociation(const std::string& extension, const std::string& program,
                                const std::string& description, const std::string& icon);

// Removes what RegisterDesktopAssociation wrote for `extension`.
bool RemoveDesktopAssociation(const std::string& extension);

}  // namespace nura
