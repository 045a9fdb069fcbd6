#include "platform/xlsx/xlsx_sheet.h"

#include <algorithm>
#include <array>

#include "platform/xlsx/xlsx_xml.h"

namespace platform::xlsx {
namespace {

int RowNumber(const pugi::xml_node& row) { return row.attribute("r").as_int(); }

int ColumnOf(const pugi::xml_node& cell) {
    const auto address = ParseCell(cell.attribute("r").value());
    return address ? address->column : 0;
}

void Renumber(pugi::xml_node row, int number) {
    SetAttribute(row, "r", std::to_string(number));
    for (pugi::xml_node cell : Elements(row, "c")) {
        SetAttribute(cell, "r", CellName(number, ColumnOf(cell)));
    }
}

void Descendants(const pugi::xml_node& node, std::string_view local, std::vector<pugi::xml_node>& found) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        if (LocalName(child) == local) found.push_back(child);
        Descendants(child, local, found);
    }
}

bool IsTrue(const pugi::xml_attribute& attribute) {
    const std::string_view value = attribute.value();
    return value == "1" || value == "true";
}

bool Overlap(const Area& a, const Area& b) {
    return a.top <= b.bottom && b.top <= a.bottom && a.left <= b.right && b.left <= a.right;
}

// Adds an area to a list, joining it to an area of the same columns that it continues.
void AddArea(std::vector<Area>& areas, const Area& added) {
    for (Area& area : areas) {
        if (area.left != added.left || area.right != added.right) continue;
        if (area.bottom + 1 == added.top || added.bottom + 1 == area.top) {
            area.top = std::min(area.top, added.top);
            area.bottom = std::max(area.bottom, added.bottom);
            return;
        }
    }
    areas.push_back(added);
}

// The worksheet's children stand in the schema's order; a new one goes after those that precede it.
constexpr std::array kPartOrder = {"sheetPr",
                                   "dimension",
                                   "sheetViews",
                                   "sheetFormatPr",
                                   "cols",
                                   "sheetData",
                                   "sheetCalcPr",
                                   "sheetProtection",
                                   "protectedRanges",
                                   "scenarios",
                                   "autoFilter",
                                   "sortState",
                                   "dataConsolidate",
                                   "customSheetViews",
                                   "mergeCells",
                                   "phoneticPr",
                                   "conditionalFormatting",
                                   "dataValidations",
                                   "hyperlinks"};

pugi::xml_node EnsurePart(pugi::xml_node worksheet, std::string_view local) {
    if (pugi::xml_node existing = Child(worksheet, local)) return existing;
    const auto position = std::find(kPartOrder.begin(), kPartOrder.end(), local);
    pugi::xml_node before;
    for (pugi::xml_node child = worksheet.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        if (std::find(kPartOrder.begin(), position + 1, LocalName(child)) == position + 1) {
            before = child;
            break;
        }
    }
    return AddChild(worksheet, local, before);
}

}  // namespace

struct Sheet::AreaList {
    pugi::xml_node element;         // removed when no area is left
    pugi::xml_attribute attribute;  // the list, or ...
    pugi::xml_node textElement;     // ... the element whose text is the list
    bool travels = false;           // goes with copied cells
    std::string Get() const { return attribute ? attribute.value() : textElement.text().get(); }
    void Set(const std::string& text) const {
        // Handles are cheap copies that point into the document.
        pugi::xml_attribute list = attribute;
        pugi::xml_node holder = textElement;
        if (list)
            list.set_value(text.c_str());
        else
            holder.text().set(text.c_str());
    }
};

void RemoveElement(pugi::xml_node element) {
    static constexpr std::array kContainers = {
        "mergeCells", "dataValidations",        "hyperlinks", "ignoredErrors", "protectedRanges",
        "rowBreaks",  "conditionalFormattings", "ext",        "extLst",        "definedNames"};
    pugi::xml_node parent = element.parent();
    parent.remove_child(element);
    while (parent) {
        if (pugi::xml_attribute count = parent.attribute("count")) count.set_value(ElementCount(parent));
        if (pugi::xml_attribute manual = parent.attribute("manualBreakCount")) {
            int breaks = 0;
            for (pugi::xml_node brk : Elements(parent, "brk")) breaks += IsTrue(brk.attribute("man")) ? 1 : 0;
            manual.set_value(breaks);
        }
        const bool container =
            std::find(kContainers.begin(), kContainers.end(), LocalName(parent)) != kContainers.end();
        if (!container || ElementCount(parent) != 0) break;
        pugi::xml_node above = parent.parent();
        above.remove_child(parent);
        parent = above;
    }
}

Sheet::Sheet(pugi::xml_document& doc) : worksheet_(doc.document_element()) {
    sheetData_ = Child(worksheet_, "sheetData");
    if (!sheetData_) sheetData_ = EnsurePart(worksheet_, "sheetData");
    // Rows and cells may leave their reference to their place; ours always state it.
    int previousRow = 0;
    for (pugi::xml_node row : Elements(sheetData_, "row")) {
        const int number = row.attribute("r") ? RowNumber(row) : previousRow + 1;
        if (!row.attribute("r")) SetAttribute(row, "r", std::to_string(number));
        int previousColumn = 0;
        for (pugi::xml_node cell : Elements(row, "c")) {
            if (!cell.attribute("r")) SetAttribute(cell, "r", CellName(number, previousColumn + 1));
            previousColumn = ColumnOf(cell);
        }
        previousRow = number;
        rows_.push_back(Indexed(row, number));
    }
    // Rows out of order would mislead every search; they are put in order, as a spreadsheet reads them.
    const auto byNumber = [](const RowEntry& a, const RowEntry& b) { return a.number < b.number; };
    if (!std::is_sorted(rows_.begin(), rows_.end(), byNumber)) {
        std::stable_sort(rows_.begin(), rows_.end(), byNumber);
        for (const RowEntry& entry : rows_) sheetData_.append_move(entry.node);
    }
}

Sheet::RowEntry Sheet::Indexed(pugi::xml_node row, int number) {
    RowEntry entry{number, number, row, {}};
    for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
        if (cell.type() != pugi::node_element || LocalName(cell) != "c") continue;
        entry.cells.push_back({ColumnOf(cell), cell});
        if (Child(cell, "f")) formulaCells_.insert(cell);
    }
    const auto byColumn = [](const CellEntry& a, const CellEntry& b) { return a.column < b.column; };
    if (!std::is_sorted(entry.cells.begin(), entry.cells.end(), byColumn)) {
        std::stable_sort(entry.cells.begin(), entry.cells.end(), byColumn);
        for (const CellEntry& cell : entry.cells) row.append_move(cell.node);
    }
    return entry;
}

pugi::xml_node Sheet::Part(std::string_view local) const { return Child(worksheet_, local); }

std::vector<Sheet::RowEntry>::iterator Sheet::RowAtOrAfter(int row) {
    return std::lower_bound(rows_.begin(), rows_.end(), row,
                            [](const RowEntry& entry, int number) { return entry.number < number; });
}

std::vector<Sheet::RowEntry>::const_iterator Sheet::RowAtOrAfter(int row) const {
    return std::lower_bound(rows_.begin(), rows_.end(), row,
                            [](const RowEntry& entry, int number) { return entry.number < number; });
}

Sheet::RowEntry* Sheet::FindRow(int row) {
    const auto found = RowAtOrAfter(row);
    return found != rows_.end() && found->number == row ? &*found : nullptr;
}

const Sheet::RowEntry* Sheet::FindRow(int row) const {
    const auto found = RowAtOrAfter(row);
    return found != rows_.end() && found->number == row ? &*found : nullptr;
}

Sheet::RowEntry& Sheet::MakeRow(int row) {
    const auto at = RowAtOrAfter(row);
    if (at != rows_.end() && at->number == row) return *at;
    pugi::xml_node created = AddChild(sheetData_, "row", at != rows_.end() ? at->node : pugi::xml_node());
    SetAttribute(created, "r", std::to_string(row));
    return *rows_.insert(at, RowEntry{row, row, created, {}});
}

namespace {

template <typename Cells>
auto CellAtOrAfter(Cells& cells, int column) {
    return std::lower_bound(cells.begin(), cells.end(), column,
                            [](const auto& cell, int at) { return cell.column < at; });
}

}  // namespace

pugi::xml_node Sheet::FindCell(int row, int column) const {
    const RowEntry* entry = FindRow(row);
    if (entry == nullptr) return {};
    const auto found = CellAtOrAfter(entry->cells, column);
    return found != entry->cells.end() && found->column == column ? found->node : pugi::xml_node();
}

int Sheet::InheritedStyle(const pugi::xml_node& row, int column) const {
    if (IsTrue(row.attribute("customFormat")) && row.attribute("s")) return row.attribute("s").as_int();
    for (pugi::xml_node col : Elements(Part("cols"), "col")) {
        if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int()) {
            return col.attribute("style").as_int();
        }
    }
    return 0;
}

pugi::xml_node Sheet::MakeCell(int row, int column) {
    RowEntry& entry = MakeRow(row);
    const auto at = CellAtOrAfter(entry.cells, column);
    if (at != entry.cells.end() && at->column == column) return at->node;
    pugi::xml_node cell = AddChild(entry.node, "c", at != entry.cells.end() ? at->node : pugi::xml_node());
    // A row still to be renumbered gets all its cells' references rewritten then.
    SetAttribute(cell, "r", CellName(entry.written, column));
    if (const int style = InheritedStyle(entry.node, column); style > 0)
        SetAttribute(cell, "s", std::to_string(style));
    entry.cells.insert(at, CellEntry{column, cell});
    return cell;
}

void Sheet::ClearValueOf(pugi::xml_node cell) {
    for (const char* local : {"f", "v", "is"}) {
        while (pugi::xml_node old = Child(cell, local)) cell.remove_child(old);
    }
    for (const char* name : {"t", "cm", "vm"}) cell.remove_attribute(name);
    formulaCells_.erase(cell);
}

void Sheet::ClearValue(int row, int column) {
    if (pugi::xml_node cell = FindCell(row, column)) ClearValueOf(cell);
}

void Sheet::SetSharedString(int row, int column, int index) {
    pugi::xml_node cell = MakeCell(row, column);
    ClearValueOf(cell);
    SetAttribute(cell, "t", "s");
    AddChild(cell, "v", Child(cell, "extLst")).text().set(index);
}

std::vector<pugi::xml_node> Sheet::FormulaElements() const {
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node& cell : formulaCells_) found.push_back(Child(cell, "f"));
    for (pugi::xml_node format : Elements(worksheet_, "conditionalFormatting")) {
        for (pugi::xml_node rule : Elements(format, "cfRule")) {
            for (pugi::xml_node formula : Elements(rule, "formula")) found.push_back(formula);
        }
    }
    for (pugi::xml_node validation : Elements(Part("dataValidations"), "dataValidation")) {
        for (const char* local : {"formula1", "formula2"}) {
            if (pugi::xml_node formula = Child(validation, local)) found.push_back(formula);
        }
    }
    // Extensions (conditional formats and validations of newer versions) keep theirs in xm:f.
    Descendants(Part("extLst"), "f", found);
    return found;
}

long long Sheet::SharedStringCells() const {
    long long count = 0;
    for (const RowEntry& row : rows_) {
        for (const CellEntry& cell : row.cells) {
            if (std::string_view(cell.node.attribute("t").value()) == "s") ++count;
        }
    }
    return count;
}

std::vector<Sheet::AreaList> Sheet::AreaLists() const {
    std::vector<AreaList> lists;
    for (pugi::xml_node format : Elements(worksheet_, "conditionalFormatting")) {
        lists.push_back({format, format.attribute("sqref"), {}, true});
    }
    const auto add = [&](std::string_view container, std::string_view local, bool travels) {
        for (pugi::xml_node element : Elements(Part(container), local)) {
            lists.push_back({element, element.attribute("sqref"), {}, travels});
        }
    };
    add("dataValidations", "dataValidation", true);
    add("ignoredErrors", "ignoredError", false);
    add("protectedRanges", "protectedRange", false);
    std::vector<pugi::xml_node> extended;
    Descendants(Part("extLst"), "sqref", extended);
    for (pugi::xml_node sqref : extended) lists.push_back({sqref.parent(), {}, sqref, true});
    return lists;
}

Status Sheet::CheckShift(const RowShift& shift) const {
    if (shift.inserts() && !rows_.empty() && rows_.back().number >= shift.at() &&
        rows_.back().number + shift.count() > kLastRow) {
        return Status::Refused("the rows would be pushed off the end of the sheet");
    }
    for (pugi::xml_node merge : Elements(Part("mergeCells"), "mergeCell")) {
        if (!ParseArea(merge.attribute("ref").value()))
            return Status::Refused("a merged area does not parse");
    }
    for (const AreaList& list : AreaLists()) {
        if (!ParseSqref(list.Get())) return Status::Refused("an area list does not parse: " + list.Get());
    }
    for (pugi::xml_node link : Elements(Part("hyperlinks"), "hyperlink")) {
        if (!ParseArea(link.attribute("ref").value()))
            return Status::Refused("a hyperlink's cell does not parse");
    }
    if (pugi::xml_node filter = Part("autoFilter"); filter && !ParseArea(filter.attribute("ref").value())) {
        return Status::Refused("the filter's area does not parse");
    }
    for (const pugi::xml_node& cell : formulaCells_) {
        const pugi::xml_node f = Child(cell, "f");
        const std::string_view type = f.attribute("t").value();
        if (type == "shared" || type == "dataTable") {
            return Status::Refused("shared formulas and data tables cannot be moved");
        }
        if (type != "array") continue;
        const auto area = ParseArea(f.attribute("ref").value());
        if (!area) return Status::Refused("an array formula's area does not parse");
        const auto moved = shift.Move(*area);
        const bool whole = !moved || moved->bottom - moved->top == area->bottom - area->top;
        if (!whole) return Status::Refused("part of an array formula cannot be moved");
    }
    return Status::Ok();
}

void Sheet::ShiftRows(const RowShift& shift) {
    auto first = RowAtOrAfter(shift.at());
    const auto drop = [&](std::vector<RowEntry>::iterator from, std::vector<RowEntry>::iterator to) {
        for (auto row = from; row != to; ++row) {
            for (const CellEntry& cell : row->cells) formulaCells_.erase(cell.node);
            sheetData_.remove_child(row->node);
        }
        return rows_.erase(from, to);
    };
    if (!shift.inserts()) first = drop(first, RowAtOrAfter(shift.last() + 1));
    for (auto row = first; row != rows_.end(); ++row)
        row->number += shift.inserts() ? shift.count() : -shift.count();
    // What an insert pushes off the end of the sheet is gone.
    drop(RowAtOrAfter(kLastRow + 1), rows_.end());
    for (pugi::xml_node merge : Elements(Part("mergeCells"), "mergeCell")) {
        const auto moved = shift.Move(*ParseArea(merge.attribute("ref").value()));
        // A merge cut down to one cell is no merge.
        if (!moved || (moved->top == moved->bottom && moved->left == moved->right))
            RemoveElement(merge);
        else
            SetAttribute(merge, "ref", AreaName(*moved));
    }
    for (const AreaList& list : AreaLists()) {
        const std::string moved = *ShiftSqref(list.Get(), shift);
        if (moved.empty())
            RemoveElement(list.element);
        else
            list.Set(moved);
    }
    for (pugi::xml_node link : Elements(Part("hyperlinks"), "hyperlink")) {
        const auto moved = shift.Move(*ParseArea(link.attribute("ref").value()));
        if (!moved)
            RemoveElement(link);
        else
            SetAttribute(link, "ref", AreaName(*moved));
    }
    if (pugi::xml_node filter = Part("autoFilter")) {
        const auto moved = shift.Move(*ParseArea(filter.attribute("ref").value()));
        if (!moved)
            worksheet_.remove_child(filter);
        else
            SetAttribute(filter, "ref", AreaName(*moved));
    }
    for (pugi::xml_node brk : Elements(Part("rowBreaks"), "brk")) {
        const auto moved = shift.Row(brk.attribute("id").as_int());
        if (!moved)
            RemoveElement(brk);
        else
            SetAttribute(brk, "id", std::to_string(*moved));
    }
    for (const pugi::xml_node& cell : formulaCells_) {
        pugi::xml_node f = Child(cell, "f");
        if (std::string_view(f.attribute("t").value()) != "array") continue;
        if (const auto moved = shift.Move(*ParseArea(f.attribute("ref").value()))) {
            SetAttribute(f, "ref", AreaName(*moved));
        }
    }
}

Status Sheet::CopyRows(int first, int last, RowBlock& block) const {
    block = RowBlock();
    block.first = first;
    block.last = last;
    for (auto row = RowAtOrAfter(first); row != rows_.end() && row->number <= last; ++row) {
        for (const CellEntry& cell : row->cells) {
            if (formulaCells_.count(cell.node))
                return Status::Refused("rows holding formulas cannot be copied");
        }
        pugi::xml_node copy = block.rows->append_copy(row->node);
        if (row->written != row->number) Renumber(copy, row->number);
    }
    for (pugi::xml_node merge : Elements(Part("mergeCells"), "mergeCell")) {
        const auto area = ParseArea(merge.attribute("ref").value());
        if (!area) return Status::Refused("a merged area does not parse");
        if (area->top >= first && area->bottom <= last) block.merges.push_back(*area);
    }
    for (const AreaList& list : AreaLists()) {
        if (!list.travels) continue;
        const auto areas = ParseSqref(list.Get());
        if (!areas) return Status::Refused("an area list does not parse: " + list.Get());
        for (const Area& area : *areas) {
            if (const auto part = AreaOnRows(area, first, last))
                block.formatParts.push_back({list.element, *part});
        }
    }
    for (pugi::xml_node link : Elements(Part("hyperlinks"), "hyperlink")) {
        const auto area = ParseArea(link.attribute("ref").value());
        if (!area) return Status::Refused("a hyperlink's cell does not parse");
        if (const auto part = AreaOnRows(*area, first, last)) {
            SetAttribute(block.hyperlinks->append_copy(link), "ref", AreaName(*part));
        }
    }
    return Status::Ok();
}

Status Sheet::CheckPlacement(const RowBlock& block, int at, const RowShift& shift) const {
    const int offset = at - block.first;
    for (pugi::xml_node merge : Elements(Part("mergeCells"), "mergeCell")) {
        const auto area = ParseArea(merge.attribute("ref").value());
        if (!area) return Status::Refused("a merged area does not parse");
        const auto moved = shift.Move(*area);
        if (!moved) continue;
        for (Area copied : block.merges) {
            copied.top += offset;
            copied.bottom += offset;
            if (Overlap(copied, *moved)) return Status::Refused("the copy would overlap merged cells");
        }
    }
    return Status::Ok();
}

std::vector<pugi::xml_node> Sheet::PlaceRows(const RowBlock& block, int at, bool sameSheet) {
    const int offset = at - block.first;
    for (pugi::xml_node copied : Elements(*block.rows, "row")) {
        const int number = RowNumber(copied) + offset;
        const auto before = RowAtOrAfter(number + 1);
        pugi::xml_node placed = before != rows_.end() ? sheetData_.insert_copy_before(copied, before->node)
                                                      : sheetData_.append_copy(copied);
        // Its references still state the original's row until Tidy renumbers it.
        RowEntry entry = Indexed(placed, number);
        entry.written = RowNumber(copied);
        rows_.insert(before, std::move(entry));
    }
    if (!block.merges.empty()) {
        pugi::xml_node merges = EnsurePart(worksheet_, "mergeCells");
        for (Area area : block.merges) {
            area.top += offset;
            area.bottom += offset;
            SetAttribute(AddChild(merges, "mergeCell"), "ref", AreaName(area));
        }
        SetAttribute(merges, "count", std::to_string(ElementCount(merges)));
    }
    std::vector<pugi::xml_node> links;
    if (!sameSheet) return links;
    for (const AreaList& list : AreaLists()) {
        auto areas = *ParseSqref(list.Get());
        bool changed = false;
        for (const RowBlock::Part& part : block.formatParts) {
            if (part.holder != list.element) continue;
            Area area = part.area;
            area.top += offset;
            area.bottom += offset;
            AddArea(areas, area);
            changed = true;
        }
        if (changed) list.Set(SqrefText(areas));
    }
    if (pugi::xml_node container = Part("hyperlinks")) {
        for (pugi::xml_node copied : Elements(*block.hyperlinks, "hyperlink")) {
            Area area = *ParseArea(copied.attribute("ref").value());
            area.top += offset;
            area.bottom += offset;
            pugi::xml_node placed = container.append_copy(copied);
            SetAttribute(placed, "ref", AreaName(area));
            links.push_back(placed);
        }
    }
    return links;
}

void Sheet::SetTabSelected(bool selected) {
    pugi::xml_node views = Part("sheetViews");
    pugi::xml_node view = Child(views, "sheetView");
    if (!selected) {
        view.remove_attribute("tabSelected");
        return;
    }
    if (!view) {
        views = EnsurePart(worksheet_, "sheetViews");
        view = AddChild(views, "sheetView");
        SetAttribute(view, "workbookViewId", "0");
    }
    SetAttribute(view, "tabSelected", "1");
}

void Sheet::Tidy() {
    std::optional<Area> extent;
    for (RowEntry& entry : rows_) {
        if (entry.written != entry.number) {
            Renumber(entry.node, entry.number);
            entry.written = entry.number;
        }
        pugi::xml_node row = entry.node;
        const int left = entry.cells.empty() ? 0 : entry.cells.front().column;
        const int right = entry.cells.empty() ? 0 : entry.cells.back().column;
        if (row.attribute("spans")) {
            if (left == 0)
                row.remove_attribute("spans");
            else
                SetAttribute(row, "spans", std::to_string(left) + ":" + std::to_string(right));
        }
        if (left == 0) continue;
        const int number = entry.number;
        if (!extent) extent = Area{number, left, number, right};
        extent->top = std::min(extent->top, number);
        extent->bottom = std::max(extent->bottom, number);
        extent->left = std::min(extent->left, left);
        extent->right = std::max(extent->right, right);
    }
    SetAttribute(EnsurePart(worksheet_, "dimension"), "ref", extent ? AreaName(*extent) : "A1");
}

}  // namespace platform::xlsx
