#include "sheet/protocol_report.h"

#include <optional>
#include <string>

#include "platform/system/message_box.h"
#include "sheet/excel_ops.h"
#include "sheet/report_paths.h"
#include "sheet/working_copy.h"

namespace sheet {

using namespace platform;

namespace {

constexpr int kTemplatePointRows = 10;

// The objects of the protocol being made, and the cell map in use. After a protocol is handed
// over the references stay here until the next protocol or the unload.
struct ReportContext {
    VARIANT application;
    VARIANT workbook;
    VARIANT worksheet;  // the current worksheet; VT_EMPTY when none could be selected
    const PosPov* map;
};

ReportContext& Context() {
    static ReportContext context = [] {
        ReportContext fresh{};
        VariantInit(&fresh.application);
        VariantInit(&fresh.workbook);
        VariantInit(&fresh.worksheet);
        return fresh;
    }();
    return context;
}

void ClearContext() {
    ReportContext& context = Context();
    VariantClear(&context.worksheet);
    VariantClear(&context.workbook);
    VariantClear(&context.application);
}

const char* TitleOf(std::int32_t mode) {
    switch (mode) {
        case 0:
            return "Протокол поверки ДД";
        case 1:
            return "Протокол калибровки ДД";
        default:
            return nullptr;
    }
}

// Worksheet n becomes the current one and is selected. A worksheet that cannot be got or selected
// leaves no current worksheet, so that nothing meant for it lands on the one before.
bool SelectSheet(std::int32_t n) {
    ReportContext& context = Context();
    VariantClear(&context.worksheet);
    if (GetWorksheet(&context.worksheet, &context.workbook, n) != 0 ||
        Failed(CallMethod(&context.worksheet, u"Select"))) {
        VariantClear(&context.worksheet);
        return false;
    }
    return true;
}

int HideSheet(std::int32_t n, VARIANT* workbook) {
    VARIANT sheet;
    VariantInit(&sheet);
    int result = 0;
    if (GetWorksheet(&sheet, workbook, n) != 0)
        result = -1;
    else if (PutPropBool(&sheet, u"Visible", false) != 0)
        result = -2;
    VariantClear(&sheet);
    return result;
}

void PutCell(const CellPos& cell, std::string_view text) {
    if (text.empty()) return;
    SetCellText(&Context().worksheet, cell.Column - 64, cell.Row, text);
}

void PutAtLetter(std::int32_t column, std::int32_t row, std::string_view text) {
    SetCellText(&Context().worksheet, column - 64, row, text);
}

void WriteHeader(const ChannelReportBlock& block) {
    for (int k = 0; k < kHeaderTexts; ++k)
        PutCell(Context().map->HeaderCells[k], SlotText(block.HeaderText[k]));
}

void WriteFooter(const ChannelReportBlock& block) {
    const PosPov& map = *Context().map;
    PutCell(map.FooterCells[0], VerdictText(block));
    PutCell(map.FooterCells[1], SlotText(block.FooterText[2]));
    PutCell(map.FooterCells[2], SlotText(block.FooterText[3]));
    PutName(&Context().worksheet, SlotText(block.SheetName));
}

// The template's point rows become as many as the channel has; the footer moves down with them.
void ExpandPointRows(const ChannelReportBlock& block) {
    const int rows = PointRowCount(block);
    if (rows <= kTemplatePointRows) return;
    DuplicateRow(&Context().application, &Context().worksheet, Context().map->PointCols[0].Row,
                 rows - kTemplatePointRows);
}

void WritePoints(const ChannelReportBlock& block) {
    const PosPov& map = *Context().map;
    const int rows = PointRowCount(block);
    for (int p = 0; p < rows; ++p) {
        for (int k = 0; k < kPointTexts; ++k)
            PutAtLetter(map.PointCols[k].Column, map.PointCols[k].Row + p,
                        SlotText(block.PointText[p].Text[k]));
    }
}

void HideEmptySheets(const TAllTextToExcel& record) {
    for (int i = 0; i < kChannels; ++i) {
        if (record.Channel[i].Present == 0) HideSheet(i + 1, &Context().workbook);
    }
}

// Copies the template of the kind beside its protocol in "reports", starts the application and
// opens the copy on its first worksheet: 0, or the code of the step that failed. The protocol
// itself is written only once it is complete.
int OpenReport(std::int32_t mode, std::optional<WorkingCopy>& copy, std::string& outputPath) {
    const char* title = TitleOf(mode);
    if (!title) return -2;
    const std::string folder = ExeFolder();
    const std::tm now = LocalTimeNow();  // the date and the time of the name come from one reading
    const std::string templatePath = folder + "/xls_template/" + title + ".xlsx";
    outputPath = folder + "/reports/" + title + " " + DateStamp(now) + " " + TimeStamp(now) + ".xlsx";
    if (!PathExists(templatePath)) return -3;
    copy.emplace(outputPath, templatePath, title);
    if (copy->outcome() != WorkingCopy::Outcome::Made) return -4;

    ClearContext();
    ReportContext& context = Context();
    if (CreateExcel(&context.application) != 0) {
        SystemMessageBox("ПО Microsoft Excel не установлено!", "Ошибка формирования протокола",
                         MB_OK | MB_ICONERROR);
        return -111;
    }
    if (OpenWorkbook(&context.application, &context.workbook, copy->path().c_str()) != 0) {
        QuitExcel(&context.application);
        ClearContext();
        return -12;
    }
    if (GetWorksheet(&context.worksheet, &context.workbook, 1) != 0) {
        QuitExcel(&context.application);
        ClearContext();
        return -7;
    }
    return 0;
}

}  // namespace

int FormProtocol(const TAllTextToExcel& record, const PosPov& map) {
    Context().map = &map;
    std::optional<WorkingCopy> copy;  // removed on every way out
    std::string outputPath;
    if (const int failed = OpenReport(record.Mode, copy, outputPath); failed != 0) return failed - 100;
    for (int i = 0; i < kChannels; ++i) {
        const ChannelReportBlock& block = record.Channel[i];
        if (!SelectSheet(i + 1)) continue;
        WriteHeader(block);
        WriteFooter(block);
        ExpandPointRows(block);
        WritePoints(block);
    }
    HideEmptySheets(record);
    SelectSheet(1);
    // A protocol that could not be written whole is no protocol: it fails as one that could not be
    // put into "reports", and no file stands under its name.
    if (SaveWorkbookAs(&Context().workbook, outputPath.c_str()) != 0) {
        QuitExcel(&Context().application);
        ClearContext();
        return -104;
    }
    SetVisible(&Context().application);
    return 0;
}

void ReleaseReportContext() { ClearContext(); }

}  // namespace sheet
