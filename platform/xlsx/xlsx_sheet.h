#pragma once

#include <memory>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "platform/xlsx/xlsx_refs.h"
#include "platform/xlsx/xlsx_status.h"

namespace platform::xlsx {

// Rows taken out of a sheet to be put in again elsewhere, with what a copy of them carries: their
// attributes and cells (styles, values), the merges inside them, and the parts of conditional formats,
// validations and hyperlinks that lie on them.
struct RowBlock {
    int first = 0;
    int last = 0;
    std::unique_ptr<pugi::xml_document> rows = std::make_unique<pugi::xml_document>();
    std::vector<Area> merges;
    struct Part {
        pugi::xml_node holder;  // the format or validation of the source sheet the area belongs to
        Area area;
    };
    std::vector<Part> formatParts;
    std::unique_ptr<pugi::xml_document> hyperlinks = std::make_unique<pugi::xml_document>();
};

// One worksheet part. Row and cell references are made explicit when it is read, so every row and cell
// carries its r. The sheet keeps an index of its rows and their cells: a look-up is a search in it, and
// rows that move are renumbered there, once an operation; their r attributes are brought in line by
// Tidy, before the part is written.
class Sheet {
  public:
    explicit Sheet(pugi::xml_document& doc);

    pugi::xml_node FindCell(int row, int column) const;
    // The cell, created in its place when missing; a new cell takes the style its row or column gives.
    pugi::xml_node MakeCell(int row, int column);
    void SetSharedString(int row, int column, int index);
    // Empties the cell's value; the cell keeps its style.
    void ClearValue(int row, int column);

    // The elements whose text is a formula: cell formulas, conditional format and validation formulas.
    std::vector<pugi::xml_node> FormulaElements() const;
    long long SharedStringCells() const;

    // Whether the rows can move as the shift says without losing anything or leaving a part half moved.
    Status CheckShift(const RowShift& shift) const;
    // Moves the rows and every area of the sheet's own part that follows them (merges, formats,
    // validations, hyperlinks, page breaks, filters); formulas are the workbook's to rewrite.
    void ShiftRows(const RowShift& shift);

    Status CopyRows(int first, int last, RowBlock& block) const;
    // Whether the block's merges fit at `at` once the shift has made room.
    Status CheckPlacement(const RowBlock& block, int at, const RowShift& shift) const;
    // Puts the block's rows at `at` (the rows there must be free); areas of formats and the hyperlinks go
    // along when the block came from this same sheet. Returns the hyperlinks added, which still name
    // their originals' relationships.
    std::vector<pugi::xml_node> PlaceRows(const RowBlock& block, int at, bool sameSheet);

    void SetTabSelected(bool selected);
    // Brings the dimension and the rows' column spans in line with the cells, before writing.
    void Tidy();

  private:
    struct AreaList;
    struct CellEntry {
        int column;
        pugi::xml_node node;
    };
    struct RowEntry {
        int number;   // where the row stands
        int written;  // the number its r attributes, and its cells', state
        pugi::xml_node node;
        std::vector<CellEntry> cells;  // by column
    };
    std::vector<AreaList> AreaLists() const;
    pugi::xml_node Part(std::string_view local) const;
    // The first row numbered `row` or later.
    std::vector<RowEntry>::iterator RowAtOrAfter(int row);
    std::vector<RowEntry>::const_iterator RowAtOrAfter(int row) const;
    RowEntry* FindRow(int row);
    const RowEntry* FindRow(int row) const;
    RowEntry& MakeRow(int row);
    // Indexes the row's cells, putting them in column order.
    RowEntry Indexed(pugi::xml_node row, int number);
    int InheritedStyle(const pugi::xml_node& row, int column) const;
    void ClearValueOf(pugi::xml_node cell);

    pugi::xml_node worksheet_;
    pugi::xml_node sheetData_;
    std::vector<RowEntry> rows_;             // by number
    std::set<pugi::xml_node> formulaCells_;  // the cells that hold a formula
};

// Removes an element and then the containers it leaves empty, keeping their count attributes right.
void RemoveElement(pugi::xml_node element);

}  // namespace platform::xlsx
