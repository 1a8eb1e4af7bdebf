#pragma once
// Reads and writes the system refused, as the tool reports them: what was being read or
// written and why, in the tool's own words ("cannot write standard output: it is closed").

#include "tools/Command.h"

#include <string>
#include <string_view>

namespace orlenth::tool {

// Why a read or write failed with errno `err`, as the end of a message.
std::string IoReason(int err);

// UsageError "cannot read WHAT: REASON" / "cannot write WHAT: REASON"; `what` is shown
// with its control bytes escaped.
UsageError ReadFailure(std::string_view what, int err);
UsageError WriteFailure(std::string_view what, int err);

} // namespace orlenth::tool
