// The error protocol: an 18-line bilingual text appended to the protocol file per report.
#pragma once

#include <string>
#include <string_view>

namespace ps {

class ErrPtnr;

// The text of a character buffer up to its first NUL; empty when there is none.
std::string LPSTRToString(std::string_view buffer);

std::string BuildProtocol(ErrPtnr& report);
// The protocol file: the program's folder, its name and ".EPT".
std::string protocolPath(const std::string& folder, char separator, const std::string& name);
// Appends the protocol and an empty line. Where the program's folder cannot be written, the
// user's own data folder takes it; only when neither can the failure goes on to the caller.
// An installed program writes into the user's data folder only.
void WriteProtocolFile(ErrPtnr& report);

}  // namespace ps
