#include "sheet/archive_report.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/system/message_box.h"
#include "platform/text/wide_text.h"
#include "sheet/excel_ops.h"
#include "sheet/report_paths.h"

namespace sheet {

using namespace platform;

namespace {

constexpr int kFirstDataRow = 5;
constexpr int kCopiedRow = 6;  // the middle one of the template's three data rows
constexpr int kTemplateRows = 3;
constexpr int kFirstColumn = 2;  // the list view's column 0 lands in B
constexpr int kTitleColumn = 8;  // H2
constexpr int kTitleRow = 2;
constexpr int kTextBuffer = 1024;
// A worksheet has 16384 columns; a list view that claims more is not believed.
constexpr int kMaxColumns = 16384 - kFirstColumn + 1;

std::string Cp1251(const std::string& utf8) { return Cp1251FromWide(WideFromUtf8(utf8)); }

void ShowCopyError(const char* text, const std::string& path) {
    SystemMessageBox(text + path, "Ошибка формирования протокола", MB_OK | MB_ICONERROR);
}

// The part of an archive's name that every day's archive shares: its temporaries are found by it.
std::string OutputPrefix(const std::string& output) {
    const std::string name = output.substr(output.rfind('/') + 1);
    const std::size_t date = name.rfind(" от ");
    return date == std::string::npos ? name : name.substr(0, date + std::strlen(" от "));
}

int ItemCount(HWND listView) { return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0)); }

int ColumnCount(HWND listView) {
    int count = 0;
    while (count < kMaxColumns) {
        LVCOLUMNA column{};  // asks for no text: only whether the column exists
        if (SendMessageA(listView, LVM_GETCOLUMNA, static_cast<WPARAM>(count),
                         reinterpret_cast<LPARAM>(&column)) == 0)
            break;
        ++count;
    }
    return count;
}

std::string_view CellText(HWND listView, int item, int column, char (&buffer)[kTextBuffer]) {
    buffer[0] = '\0';
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = buffer;
    request.cchTextMax = kTextBuffer;
    SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return std::string_view(buffer, ::strnlen(buffer, kTextBuffer - 1));
}

// Makes the template's data rows as many as the table has items (row 5 stays for none).
int PrepareRows(VARIANT* application, VARIANT* worksheet, int items) {
    if (items >= kTemplateRows) {
        DuplicateRow(application, worksheet, kCopiedRow, items - kTemplateRows);
        return 0;
    }
    if (DeleteRow(worksheet, kCopiedRow) != 0) return -8;
    if (items < 2 && DeleteRow(worksheet, kCopiedRow) != 0) return -9;
    return 0;
}

// The objects of one export, given back when it ends; the workbook is handed over before that.
struct ArchiveObjects {
    VARIANT application;
    VARIANT workbook;
    VARIANT worksheet;
    ArchiveObjects() {
        VariantInit(&application);
        VariantInit(&workbook);
        VariantInit(&worksheet);
    }
    ~ArchiveObjects() {
        VariantClear(&worksheet);
        VariantClear(&workbook);
        VariantClear(&application);
    }
    ArchiveObjects(const ArchiveObjects&) = delete;
    ArchiveObjects& operator=(const ArchiveObjects&) = delete;
    int Quit(int result) {
        QuitExcel(&application);
        return result;
    }
};

}  // namespace

int CopyTemplate(const std::string& destination, const std::string& source, std::optional<WorkingCopy>& copy) {
    copy.emplace(destination, source, OutputPrefix(destination));
    switch (copy->outcome()) {
        case WorkingCopy::Outcome::Made:
            return 0;
        case WorkingCopy::Outcome::SourceUnreadable:
            ShowCopyError("Недоступен файл шаблона \n ", source);
            return -1;
        case WorkingCopy::Outcome::SourceEmpty:
            return -1;
        case WorkingCopy::Outcome::NotCreatable:
            break;
    }
    ShowCopyError("Невозможно создать файл\n ", destination);
    return -2;
}

int ExportArchive(HWND listView) {
    const std::tm today = UtcTimeNow();  // one reading for the file name and the title
    const int day = today.tm_mday, month = today.tm_mon + 1, year = today.tm_year + 1900;
    const std::string folder = ExeFolder();
    char name[64];
    std::snprintf(name, sizeof name, " Архив ЗКВ от %02d_%02d_%d.xlsx", day, month, year);
    const std::string outputPath = folder + name;
    const std::string templatePath = folder + "/xls_template/Архив ЗКВ.xlsx";

    std::optional<WorkingCopy> copy;
    if (CopyTemplate(outputPath, templatePath, copy) != 0) return -3;
    ArchiveObjects objects;
    if (CreateExcel(&objects.application) != 0) return -5;
    if (OpenWorkbook(&objects.application, &objects.workbook, copy->path().c_str()) != 0)
        return objects.Quit(-6);
    if (GetWorksheet(&objects.worksheet, &objects.workbook, 1) != 0) return objects.Quit(-7);

    const int items = ItemCount(listView);
    if (const int failed = PrepareRows(&objects.application, &objects.worksheet, items); failed != 0)
        return objects.Quit(failed);
    const int columns = ColumnCount(listView);

    char title[64];
    std::snprintf(title, sizeof title, "Архив ЗКВ от %02d.%02d.%04d", day, month, year);
    SetCellText(&objects.worksheet, kTitleColumn, kTitleRow, Cp1251(title));

    char buffer[kTextBuffer];
    for (int i = 0; i < items; ++i) {
        for (int j = 0; j < columns; ++j) {
            if (SetCellText(&objects.worksheet, kFirstColumn + j, kFirstDataRow + i,
                            CellText(listView, i, j, buffer)) != 0)
                return objects.Quit(-11);
        }
    }
    // The output is written whole or not at all; the workbook is then the output's.
    if (SaveWorkbookAs(&objects.workbook, outputPath.c_str()) != 0) {
        ShowCopyError("Невозможно создать файл\n ", outputPath);
        return objects.Quit(-3);
    }
    SetVisible(&objects.application);
    return 0;
}

}  // namespace sheet
