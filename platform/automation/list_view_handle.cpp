#include "platform/automation/list_view_handle.h"

#include <algorithm>

namespace platform {

ListViewHandle::ListViewHandle(const ListViewSource& source)
    : source_(source), window_{"SysListView32", nullptr, nullptr, &ListViewHandle::Answer, this} {}

LRESULT ListViewHandle::Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const ListViewSource& source = static_cast<ListViewHandle*>(window->data)->source_;
    switch (message) {
        case LVM_GETITEMCOUNT:
            return source.ItemCount();
        case LVM_GETCOLUMNA: {
            auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
            if (!column || wParam >= static_cast<WPARAM>(std::max(source.ColumnCount(), 0))) return 0;
            if (column->mask & LVCF_SUBITEM) column->iSubItem = static_cast<int>(wParam);
            return 1;
        }
        case LVM_GETITEMTEXTA: {
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            if (!item) return 0;
            const int row = static_cast<int>(wParam);
            std::string text;
            if (row >= 0 && row < source.ItemCount() && item->iSubItem >= 0 &&
                item->iSubItem < source.ColumnCount()) {
                text = source.CellText(row, item->iSubItem);
            }
            return CopyAnswerText(text.data(), static_cast<std::uint32_t>(text.size()), item->pszText,
                                  item->cchTextMax);
        }
        default:
            return 0;
    }
}

}  // namespace platform
