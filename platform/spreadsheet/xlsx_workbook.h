#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xlsx/xlsx_package.h"
#include "platform/xlsx/xlsx_refs.h"
#include "platform/xlsx/xlsx_sheet.h"
#include "platform/xlsx/xlsx_status.h"
#include "platform/xlsx/xlsx_strings.h"

namespace platform::xlsx {

// An .xlsx workbook held in memory, changed the way a spreadsheet changes it, and written back to its path.
// Sheets are counted from 0 in workbook order, hidden ones and chart sheets included; rows and columns
// from 1. A refused change leaves the workbook as it was.
class Workbook {
  public:
    static Status Open(const std::string& path, std::unique_ptr<Workbook>& into);
    ~Workbook();

    const std::string& Path() const { return path_; }
    // Writes the workbook to its path; nothing is changed on disk when that fails.
    Status Save();
    // Writes it to another path, which becomes its own once the write succeeded.
    Status SaveAs(const std::string& path);
    // Writes it to its path unless it is unchanged since it was last written there.
    Status SaveChanges();

    int SheetCount() const { return static_cast<int>(sheets_.size()); }
    // The sheet index of the n-th worksheet (from 1, chart sheets not counted); nullopt when there is none.
    std::optional<int> WorksheetIndex(int n) const;
    std::string SheetName(int sheet) const;
    bool SheetHidden(int sheet) const;
    int ActiveSheet() const { return active_; }

    Status RenameSheet(int sheet, const std::string& name);
    // A sheet hidden here has no print area while it is hidden; shown again, it gets it back.
    Status SetSheetVisible(int sheet, bool visible);
    // Makes the sheet the one shown; a hidden sheet cannot be.
    Status ActivateSheet(int sheet);

    Status SetCellText(int sheet, int row, int column, std::string_view utf8);
    // Inserts `count` empty rows at `at`, moving that row and all below it down.
    Status InsertRows(int sheet, int at, int count);
    // Inserts a copy of rows first..last of sheet `from` at `at`, moving that row and all below it down.
    Status InsertCopiedRows(int sheet, int at, int from, int first, int last);
    Status DeleteRows(int sheet, int first, int last);

  private:
    struct SheetEntry;
    struct FormulaEdit;
    Workbook() = default;
    Status Load();
    Status CheckSheet(int sheet) const;
    Status RowChange(int sheet, const RowShift& shift, const RowBlock* block, bool sameSheet);
    using FormulaRewrite = std::function<std::optional<std::string>(std::string_view text,
                                                                    const std::optional<std::string>& home)>;
    // Every formula of the workbook rewritten; refused when one that may refer to `touchedSheet` cannot be
    // (for row moves, unqualified references of that sheet's own formulas refer to it too).
    Status PlanFormulaEdits(const FormulaRewrite& rewrite, const std::string& touchedSheet, bool rowsMove,
                            std::vector<FormulaEdit>& edits) const;
    void ApplyFormulaEdits(const std::vector<FormulaEdit>& edits);
    void PutPrintAreaAside(int sheet);
    void RestorePrintArea(int sheet);
    Status EnsureSharedStrings();
    void UpdateViews();
    void StoreParts();
    Status WriteTo(const std::string& path);

    std::string path_;
    Package package_;
    std::optional<Package> written_;  // the parts as last written to path_
    std::string workbookPart_;
    pugi::xml_document workbook_;
    std::vector<std::unique_ptr<SheetEntry>> sheets_;
    std::string stringsPart_;
    pugi::xml_document stringsDoc_;
    std::unique_ptr<SharedStrings> strings_;
    int active_ = 0;
    bool recalculate_ = false;
};

}  // namespace platform::xlsx
