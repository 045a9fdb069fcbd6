#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::xlsx {

constexpr int kLastRow = 1048576;
constexpr int kLastColumn = 16384;

// Column 1 is "A", 27 is "AA"; 0 for letters that name no column.
std::string ColumnName(int column);
int ColumnNumber(std::string_view letters);

struct CellAddress {
    int row = 0;
    int column = 0;
    bool operator==(const CellAddress&) const = default;
};
// "B12" (no '$'); nullopt when it names no cell of a sheet.
std::optional<CellAddress> ParseCell(std::string_view text);
std::string CellName(int row, int column);

// A rectangle of cells, both corners included.
struct Area {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool operator==(const Area&) const = default;
};
// "B12" or "A1:C3"; nullopt otherwise.
std::optional<Area> ParseArea(std::string_view text);
// "B12" for one cell, "A1:C3" otherwise.
std::string AreaName(const Area& area);
// The part of the area on rows top..bottom; nullopt when none is.
std::optional<Area> AreaOnRows(const Area& area, int top, int bottom);

// How rows move when some are inserted or deleted: an insert at `at` moves every row from there down by
// `count`; a delete removes rows at..at+count-1 and moves the rows below up by `count`.
class RowShift {
  public:
    static RowShift Insert(int at, int count) { return RowShift(true, at, count); }
    static RowShift Delete(int at, int count) { return RowShift(false, at, count); }

    bool inserts() const { return insert_; }
    int at() const { return at_; }
    int count() const { return count_; }
    int last() const { return at_ + count_ - 1; }

    // The row's new number; nullopt when the row is deleted or pushed off the sheet.
    std::optional<int> Row(int row) const;
    // A span of rows: an insert inside it makes it longer, a delete inside it shorter; nullopt when it
    // is wholly deleted.
    std::optional<std::pair<int, int>> Span(int top, int bottom) const;
    std::optional<Area> Move(const Area& area) const;

  private:
    RowShift(bool insert, int at, int count) : insert_(insert), at_(at), count_(count) {}
    bool insert_;
    int at_;
    int count_;
};

// A space-separated list of areas (a sqref) moved by the shift; areas that vanish are left out, so the
// result may be empty. nullopt when the list does not parse.
std::optional<std::string> ShiftSqref(std::string_view sqref, const RowShift& shift);

// Every area of a sqref; nullopt when one does not parse.
std::optional<std::vector<Area>> ParseSqref(std::string_view sqref);
std::string SqrefText(const std::vector<Area>& areas);

}  // namespace platform::xlsx
