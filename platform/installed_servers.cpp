#include "platform/automation.h"

namespace platform {

// The automation servers installed with the workstation, as a machine's registry lists them.
std::span<const InstalledServer> InstalledServers() {
    // Each installed server adds its row: {u"Its.ProgID", &ItsFactory}.
    return {};
}

}  // namespace platform
