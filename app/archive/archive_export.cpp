// The archive table handed to the report library, which reads it through list-view messages.
#include <QTreeWidget>
#include <exception>

#include "app/archive/frame_archive.h"
#include "app/controls/report_library.h"
#include "platform/automation/list_view_handle.h"
#include "platform/class_library/cp1251.h"

namespace {

using Archive2excellFunction = int (*)(HWND listView);

// The table as its list-view handle answers for it. Called from inside the library, so nothing
// may unwind out of it.
class TableSource : public platform::ListViewSource {
public:
    explicit TableSource(const QTreeWidget& table) : table_(table) {}

    int ItemCount() const override { return table_.topLevelItemCount(); }
    int ColumnCount() const override { return table_.columnCount(); }
    std::string CellText(int item, int column) const override {
        try {
            const QTreeWidgetItem* row = table_.topLevelItem(item);
            return row ? platform::ToCp1251(row->text(column)) : std::string();
        } catch (const std::exception&) {
            return {};
        }
    }

private:
    const QTreeWidget& table_;
};

}  // namespace

void TFrameArchiv::ExcelArchiveClick() {
    TableSource source(*ListViewArchiv1);
    platform::ListViewHandle handle(source);
    CallReportLibrary(ReportLibrary, "Archive2excell", [&](void* address) {
        return reinterpret_cast<Archive2excellFunction>(address)(handle.Handle());
    });
}
