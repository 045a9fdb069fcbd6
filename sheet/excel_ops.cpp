#include "sheet/excel_ops.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/text/wide_text.h"
#include "sheet/auto_wrap.h"
#include "sheet/diagnostics.h"

namespace sheet {

using namespace platform;

namespace {

constexpr std::size_t kMaxProgIdLength = 200;

// A temporary VARIANT given back however its scope is left.
class Temporary {
  public:
    Temporary() { VariantInit(&value_); }
    ~Temporary() { VariantClear(&value_); }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }
    // Takes over the string: it is freed with the temporary.
    void HoldString(BSTR text) {
        value_.vt = VT_BSTR;
        value_.bstrVal = text;
    }

  private:
    VARIANT value_;
};

VARIANT Int4(std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Int(std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_INT;
    v.intVal = value;
    return v;
}

VARIANT Bool(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

// A file that can be opened for reading; a folder is none.
bool FileExists(const char* path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

}  // namespace

int PutPropStr(VARIANT* object, const OLECHAR* name, std::string_view text) {
    if (!name || text.empty()) return -1;
    BSTR converted = StrToBstr(text);
    if (!converted) return -1;
    Temporary argument;
    argument.HoldString(converted);
    return Failed(AutoWrap(DISPATCH_PROPERTYPUT, nullptr, object, name, 1, argument.value())) ? -1 : 0;
}

int PutPropBool(VARIANT* object, const OLECHAR* name, bool value) {
    return Failed(AutoWrap(DISPATCH_PROPERTYPUT, nullptr, object, name, 1, Bool(value))) ? -1 : 0;
}

HRESULT CallMethod(VARIANT* object, const OLECHAR* name) {
    return AutoWrap(DISPATCH_METHOD, nullptr, object, name, 0);
}

int CreateAutoObject(const char* progId, VARIANT* result) {
    if (!progId || !result) return -1;
    std::u16string wide = WideFromCp1251(progId);
    if (wide.size() > kMaxProgIdLength) wide.resize(kMaxProgIdLength);
    // An unknown ProgID leaves the class zero, and the creation below fails on it.
    CLSID clsid{};
    CLSIDFromProgID(wide.c_str(), &clsid);
    IDispatch* created = nullptr;
    if (Failed(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                &created))) {
        DebugOut("Ошибка сервера");
        return -1;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = created;
    return 0;
}

int CreateExcel(VARIANT* application) { return CreateAutoObject("Excel.Application", application); }

HRESULT QuitExcel(VARIANT* application) { return CallMethod(application, u"Quit"); }

int SetVisible(VARIANT* object) { return PutPropBool(object, u"Visible", true); }

int OpenWorkbook(VARIANT* application, VARIANT* workbook, const char* path) {
    if (!application || !workbook || !path) return -1;
    if (!FileExists(path)) return -2;
    Temporary workbooks;
    if (Failed(AutoWrap(DISPATCH_PROPERTYGET, workbooks.get(), application, u"Workbooks", 0))) return -3;
    const std::u16string widePath = WideFromUtf8(path);
    BSTR converted = SysAllocStringLen(widePath.data(), static_cast<std::uint32_t>(widePath.size()));
    if (!converted || widePath.empty()) {
        SysFreeString(converted);
        return -4;
    }
    Temporary argument;
    argument.HoldString(converted);
    AutoWrap(DISPATCH_METHOD, workbook, workbooks.get(), u"Open", 1, argument.value());
    return 0;
}

int SaveWorkbookAs(VARIANT* workbook, const char* path) {
    if (!workbook || !path || *path == '\0') return -1;
    const std::u16string widePath = WideFromUtf8(path);
    BSTR converted = SysAllocStringLen(widePath.data(), static_cast<std::uint32_t>(widePath.size()));
    if (!converted) return -1;
    Temporary argument;
    argument.HoldString(converted);
    return Failed(AutoWrap(DISPATCH_METHOD, nullptr, workbook, u"SaveAs", 1, argument.value())) ? -1 : 0;
}

int GetWorksheet(VARIANT* worksheet, VARIANT* workbook, std::int32_t n) {
    Temporary worksheets;
    if (Failed(AutoWrap(DISPATCH_PROPERTYGET, worksheets.get(), workbook, u"Worksheets", 0))) return -1;
    if (Failed(AutoWrap(DISPATCH_PROPERTYGET, worksheet, worksheets.get(), u"Item", 1, Int4(n)))) return -2;
    return 0;
}

BSTR StrToBstr(std::string_view text) {
    if (text.empty()) return nullptr;
    const std::u16string wide = WideFromCp1251(text);
    return SysAllocStringLen(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

int GetCell(VARIANT* cell, VARIANT* worksheet, std::int32_t column, std::int32_t row) {
    if (row < 1 || column < 1) return -1;
    AutoWrap(DISPATCH_PROPERTYGET, cell, worksheet, u"Cells", 2, Int(column), Int(row));
    return 0;
}

int PutValue(VARIANT* cell, std::string_view text) { return PutPropStr(cell, u"Value", text); }

int SetCellText(VARIANT* worksheet, std::int32_t column, std::int32_t row, std::string_view text) {
    if (text.empty() || !worksheet || column < 1 || row < 1) return 0;
    Temporary cell;
    if (const int got = GetCell(cell.get(), worksheet, column, row); got != 0) return got;
    return PutValue(cell.get(), text);
}

int PutName(VARIANT* object, std::string_view text) { return PutPropStr(object, u"Name", text); }

int ClearCopyMode(VARIANT* application, VARIANT* worksheet) {
    PutPropBool(application, u"CutCopyMode", false);
    Temporary cell;
    GetCell(cell.get(), worksheet, 1, 1);
    CallMethod(cell.get(), u"Select");
    return 0;
}

int GetRows(VARIANT* rows, VARIANT* worksheet, std::int32_t first, std::int32_t last) {
    char range[32];
    std::snprintf(range, sizeof range, "%d:%d", first, last);
    BSTR converted = StrToBstr(range);
    if (!converted) return -2;
    Temporary argument;
    argument.HoldString(converted);
    return Failed(AutoWrap(DISPATCH_PROPERTYGET, rows, worksheet, u"Rows", 1, argument.value())) ? -1 : 0;
}

int DeleteRow(VARIANT* worksheet, std::int32_t row) {
    Temporary rows;
    if (GetRows(rows.get(), worksheet, row, row) != 0) return -1;
    return Failed(CallMethod(rows.get(), u"Delete")) ? -1 : 0;
}

int DuplicateRow(VARIANT* application, VARIANT* worksheet, std::int32_t row, std::int32_t n) {
    // Copying goes through the selection: unless the row itself is selected, whatever else is
    // selected would be copied and inserted, so a row that cannot be selected ends the call.
    Temporary rows;
    if (GetRows(rows.get(), worksheet, row, row) != 0) return -1;
    if (Failed(CallMethod(rows.get(), u"Select"))) return -2;
    Temporary selection;
    AutoWrap(DISPATCH_PROPERTYGET, selection.get(), application, u"Selection", 0);
    int result = 0;
    for (std::int32_t pass = 0; pass < n; ++pass) {
        CallMethod(selection.get(), u"Copy");
        if (Failed(CallMethod(selection.get(), u"Insert"))) result = -5;
    }
    ClearCopyMode(application, worksheet);
    return result;
}

}  // namespace sheet
