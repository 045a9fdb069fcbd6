#pragma once

#include <string>

#include "platform/automation/window_handle.h"

namespace platform {

// What a list view shows, as its handle answers for it: rows, columns and code page 1251 cell
// texts (column 0 is the item's own text).
class ListViewSource {
  public:
    virtual int ItemCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string CellText(int item, int column) const = 0;

  protected:
    ~ListViewSource() = default;
};

// A list-view window handle over a source: answers LVM_GETITEMCOUNT, LVM_GETCOLUMNA and
// LVM_GETITEMTEXTA, every other message with 0. The source must outlive the handle; the handle
// is not registered (a list view is reached through the handle its owner passes on).
class ListViewHandle {
  public:
    explicit ListViewHandle(const ListViewSource& source);
    ListViewHandle(const ListViewHandle&) = delete;
    ListViewHandle& operator=(const ListViewHandle&) = delete;

    HWND Handle() { return &window_; }

  private:
    static LRESULT Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    const ListViewSource& source_;
    ZkvWindow window_;
};

}  // namespace platform
