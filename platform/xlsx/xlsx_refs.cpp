#include "platform/xlsx/xlsx_refs.h"

#include <algorithm>

namespace platform::xlsx {
namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ColumnName(int column) {
    std::string name;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

int ColumnNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    int column = 0;
    for (char c : letters) {
        if (!IsUpper(c)) return 0;
        column = column * 26 + (c - 'A' + 1);
    }
    return column <= kLastColumn ? column : 0;
}

std::optional<CellAddress> ParseCell(std::string_view text) {
    std::size_t letters = 0;
    while (letters < text.size() && IsUpper(text[letters])) ++letters;
    const std::string_view digits = text.substr(letters);
    if (letters == 0 || digits.empty() || digits.size() > 7 || digits[0] == '0') return std::nullopt;
    int row = 0;
    for (char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        row = row * 10 + (c - '0');
    }
    const int column = ColumnNumber(text.substr(0, letters));
    if (column == 0 || row > kLastRow) return std::nullopt;
    return CellAddress{row, column};
}

std::string CellName(int row, int column) { return ColumnName(column) + std::to_string(row); }

std::optional<Area> ParseArea(std::string_view text) {
    const std::size_t colon = text.find(':');
    const auto first = ParseCell(text.substr(0, colon));
    if (!first) return std::nullopt;
    if (colon == std::string_view::npos) return Area{first->row, first->column, first->row, first->column};
    const auto second = ParseCell(text.substr(colon + 1));
    if (!second) return std::nullopt;
    return Area{std::min(first->row, second->row), std::min(first->column, second->column),
                std::max(first->row, second->row), std::max(first->column, second->column)};
}

std::string AreaName(const Area& area) {
    const std::string first = CellName(area.top, area.left);
    if (area.top == area.bottom && area.left == area.right) return first;
    return first + ":" + CellName(area.bottom, area.right);
}

std::optional<Area> AreaOnRows(const Area& area, int top, int bottom) {
    Area part = area;
    part.top = std::max(area.top, top);
    part.bottom = std::min(area.bottom, bottom);
    if (part.top > part.bottom) return std::nullopt;
    return part;
}

std::optional<int> RowShift::Row(int row) const {
    if (row < at_) return row;
    if (insert_) {
        if (row + count_ > kLastRow) return std::nullopt;
        return row + count_;
    }
    if (row <= last()) return std::nullopt;
    return row - count_;
}

std::optional<std::pair<int, int>> RowShift::Span(int top, int bottom) const {
    if (insert_) {
        if (bottom < at_) return std::make_pair(top, bottom);
        const int newTop = top >= at_ ? top + count_ : top;
        if (newTop > kLastRow) return std::nullopt;
        return std::make_pair(newTop, std::min(bottom + count_, kLastRow));
    }
    const int newTop = top < at_ ? top : (top > last() ? top - count_ : at_);
    const int newBottom = bottom < at_ ? bottom : (bottom > last() ? bottom - count_ : at_ - 1);
    if (newBottom < newTop) return std::nullopt;
    return std::make_pair(newTop, newBottom);
}

std::optional<Area> RowShift::Move(const Area& area) const {
    const auto span = Span(area.top, area.bottom);
    if (!span) return std::nullopt;
    return Area{span->first, area.left, span->second, area.right};
}

std::optional<std::vector<Area>> ParseSqref(std::string_view sqref) {
    std::vector<Area> areas;
    std::size_t start = 0;
    while (start <= sqref.size()) {
        std::size_t end = sqref.find(' ', start);
        if (end == std::string_view::npos) end = sqref.size();
        if (end > start) {
            const auto area = ParseArea(sqref.substr(start, end - start));
            if (!area) return std::nullopt;
            areas.push_back(*area);
        }
        start = end + 1;
    }
    return areas;
}

std::string SqrefText(const std::vector<Area>& areas) {
    std::string text;
    for (const Area& area : areas) {
        if (!text.empty()) text += ' ';
        text += AreaName(area);
    }
    return text;
}

std::optional<std::string> ShiftSqref(std::string_view sqref, const RowShift& shift) {
    const auto areas = ParseSqref(sqref);
    if (!areas) return std::nullopt;
    std::vector<Area> moved;
    for (const Area& area : *areas) {
        if (const auto next = shift.Move(area)) moved.push_back(*next);
    }
    return SqrefText(moved);
}

}  // namespace platform::xlsx
