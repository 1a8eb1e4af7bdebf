// The build-time packer makes the embedded streams and so cannot hold them.

#include "tools/Command.h"

namespace orlenth::tool {

std::span<const Command> EmbeddedCommands() {
    return {};
}

} // namespace orlenth::tool
