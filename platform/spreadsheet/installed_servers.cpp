#include "platform/automation/automation.h"
#include "platform/spreadsheet/spreadsheet_app.h"

namespace platform {

// The automation servers installed with the workstation, as a machine's registry lists them.
std::span<const InstalledServer> InstalledServers() {
    // Each installed server adds its row: {u"Its.ProgID", &ItsFactory}.
    static constexpr InstalledServer kServers[] = {{u"Excel.Application", &CreateSpreadsheetApplication}};
    return kServers;
}

}  // namespace platform
