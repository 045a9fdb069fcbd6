// The archive table handed to the report library, which reads it through list-view messages.
#include <QTreeWidget>
#include <exception>

#include "app/archive/frame_archive.h"
#include "platform/cp1251.h"
#include "platform/dialogs.h"
#include "platform/library_loader.h"
#include "platform/list_view_handle.h"
#include "platform/utf8_literal.h"

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

void ShowError(const QString& text) { platform::MessageDlg(text, platform::MsgDlgType::Error, platform::mbOK); }

}  // namespace

void TFrameArchiv::ExcelArchiveClick() {
    platform::HMODULE library = platform::LoadLibraryA(ReportLibrary.c_str());
    if (library == nullptr) {
        ShowError(U("Библиотека не найдена!"));
        return;
    }
    const auto archive2excell =
        reinterpret_cast<Archive2excellFunction>(platform::GetProcAddress(library, "Archive2excell"));
    if (archive2excell == nullptr) {
        ShowError(U("Archive2excell() не найдена!"));
        platform::FreeLibrary(library);
        return;
    }
    TableSource source(*ListViewArchiv1);
    platform::ListViewHandle handle(source);
    const int result = archive2excell(handle.Handle());
    if (result != 0) ShowError(U("Ошибка при создании отчёта. Код ошибки:") + QString::number(result));
    platform::FreeLibrary(library);
}
