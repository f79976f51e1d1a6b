// The Windows network through Samba's client library (libsmbclient,
// loaded on first use): workgroups of "smb://", servers of
// "smb://WORKGROUP", shares of "smb://HOST". Anonymous, or with the user's
// Kerberos ticket; a short time-out, so that a network that does not
// answer gives an empty list soon. Names are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace nura {

enum class TSmbEntryKind { Workgroup, Server, DiskShare };

// The entries of `kind` under the SMB address `url`; empty when the
// address cannot be reached or listed, or the library is missing.
std::vector<std::string> ListSmbEntries(const std::string& url, TSmbEntryKind kind);

// How long one connection may take, in milliseconds.
constexpr int kSmbTimeout = 3000;

}  // namespace nura
