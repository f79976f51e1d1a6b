// The files that receiving writes for one mail into the receiving folder:
// the numbered Shift-JIS summary N.txt, the raw message N.eml and one file
// per attachment. Folder and names are script paths (Shift-JIS).
#pragma once

#include <string>

#include "net/mime_reader.h"

namespace nura {

// The name an attachment is stored under, before clashes are resolved: the
// name the mail gives (JIS to Shift-JIS), the text after its first blank
// when that is not empty, reduced to its last component (after "/", "\"
// and ":") without control characters; "", "." and ".." become a fixed name.
std::string AttachmentDisplayName(const std::string& mailName);

// The summary text of a mail, lines ended by CR LF.
std::string BuildMailSummary(const TMailMessage& message);

// Writes the summary, the raw message and the attachments of `raw` into
// `folder` (ending in a separator). N is the first number for which both
// N.txt and N.eml are free. ENetError when a file cannot be written.
void StoreReceivedMail(const std::string& folder, const std::string& raw);

}  // namespace nura
