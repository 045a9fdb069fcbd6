#pragma once

#include <vector>

class QObject;
namespace platform {
class TMemIniFile;
}

namespace project {

// The settings file's own two lists, which no project holds: the cells of the method-document
// grid (section "Doc_MP") and the reference factory numbers of the serial combo ("SN_GHV_LIST").
// Both controls are found among the forms by name; a missing one is skipped.
void SaveRestoreGlobalLists(platform::TMemIniFile& settings, bool save, const std::vector<QObject*>& forms);

}  // namespace project
