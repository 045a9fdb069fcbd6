#include "platform/spreadsheet/xlsx_workbook.h"

#include "platform/spreadsheet/xlsx_formula.h"
#include "platform/spreadsheet/xlsx_names.h"
#include "platform/text/wide_text.h"
#include "platform/xlsx/xlsx_parts.h"
#include "platform/xlsx/xlsx_xml.h"

namespace platform::xlsx {
namespace {

constexpr std::size_t kLongestCellText = 32767;  // UTF-16 units, as a spreadsheet counts
constexpr const char* kContentTypes = "[Content_Types].xml";
constexpr const char* kStringsType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";

bool Mentions(std::string_view formula, std::string_view name) {
    return FoldCase(formula).find(FoldCase(name)) != std::string::npos;
}

bool IsPrintAreaOf(const pugi::xml_node& name, int sheet) {
    const pugi::xml_attribute local = name.attribute("localSheetId");
    return LocalName(name) == "definedName" && local && local.as_int(-1) == sheet &&
           SameName(name.attribute("name").value(), "_xlnm.Print_Area");
}

Status ParsePart(const Package& package, const std::string& part, pugi::xml_document& into) {
    const std::string* bytes = package.Find(part);
    if (bytes == nullptr) return Status::Refused("the package has no part " + part);
    return ParseXml(*bytes, part, into);
}

}  // namespace

struct Workbook::SheetEntry {
    pugi::xml_node node;  // its <sheet> in the workbook part
    std::string part;
    std::unique_ptr<pugi::xml_document> doc;
    std::unique_ptr<Sheet> sheet;  // none for chart and other sheets, which are kept as they are
    // The print area of a sheet hidden here, kept aside until it is shown again: some spreadsheet
    // programs print a hidden sheet that has one.
    pugi::xml_document printAreaAside;
};

struct Workbook::FormulaEdit {
    pugi::xml_node element;
    std::string text;
};

Workbook::~Workbook() = default;

Status Workbook::Open(const std::string& path, std::unique_ptr<Workbook>& into) {
    std::unique_ptr<Workbook> workbook(new Workbook());
    workbook->path_ = path;
    if (Status loaded = Package::Load(path, workbook->package_); !loaded) return loaded;
    if (Status read = workbook->Load(); !read) return Status::Refused(path + ": " + read.why());
    into = std::move(workbook);
    return Status::Ok();
}

Status Workbook::Load() {
    pugi::xml_document packageRels;
    if (Status status = ParsePart(package_, RelationshipsPartOf(""), packageRels); !status) return status;
    const auto top = ReadRelationships(packageRels, "");
    const Relationship* document = FindRelationship(top, "officeDocument");
    if (document == nullptr) return Status::Refused("the package holds no workbook");
    workbookPart_ = document->part;
    if (Status status = ParsePart(package_, workbookPart_, workbook_); !status) return status;

    pugi::xml_document rels;
    const std::string relsPart = RelationshipsPartOf(workbookPart_);
    if (Status status = ParsePart(package_, relsPart, rels); !status) return status;
    const auto relationships = ReadRelationships(rels, workbookPart_);
    for (pugi::xml_node node : Elements(Child(workbook_.document_element(), "sheets"), "sheet")) {
        auto entry = std::make_unique<SheetEntry>();
        entry->node = node;
        const std::string id = RelationshipIdOf(node);
        for (const Relationship& relationship : relationships) {
            if (relationship.id != id || !TypeIs(relationship.type, "worksheet")) continue;
            entry->part = relationship.part;
            entry->doc = std::make_unique<pugi::xml_document>();
            if (Status status = ParsePart(package_, entry->part, *entry->doc); !status) return status;
            entry->sheet = std::make_unique<Sheet>(*entry->doc);
        }
        sheets_.push_back(std::move(entry));
    }
    if (sheets_.empty()) return Status::Refused("the workbook has no sheets");

    if (const Relationship* strings = FindRelationship(relationships, "sharedStrings")) {
        stringsPart_ = strings->part;
        if (Status status = ParsePart(package_, stringsPart_, stringsDoc_); !status) return status;
        strings_ = std::make_unique<SharedStrings>(stringsDoc_);
    }

    const pugi::xml_node view = Child(Child(workbook_.document_element(), "bookViews"), "workbookView");
    active_ = std::clamp(view.attribute("activeTab").as_int(), 0, SheetCount() - 1);
    for (int i = 0; SheetHidden(active_) && i < SheetCount(); ++i) active_ = i;
    return Status::Ok();
}

std::optional<int> Workbook::WorksheetIndex(int n) const {
    int seen = 0;
    for (int i = 0; i < SheetCount(); ++i) {
        if (sheets_[static_cast<std::size_t>(i)]->sheet && ++seen == n) return i;
    }
    return std::nullopt;
}

std::string Workbook::SheetName(int sheet) const {
    return sheets_.at(static_cast<std::size_t>(sheet))->node.attribute("name").value();
}

bool Workbook::SheetHidden(int sheet) const {
    const std::string_view state =
        sheets_.at(static_cast<std::size_t>(sheet))->node.attribute("state").value();
    return state == "hidden" || state == "veryHidden";
}

Status Workbook::CheckSheet(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount()) return Status::Refused("no such sheet");
    if (!sheets_[static_cast<std::size_t>(sheet)]->sheet) return Status::Refused("not a worksheet");
    return Status::Ok();
}

Status Workbook::RenameSheet(int sheet, const std::string& name) {
    if (sheet < 0 || sheet >= SheetCount()) return Status::Refused("no such sheet");
    if (Status valid = CheckSheetName(name); !valid) return valid;
    const std::string old = SheetName(sheet);
    for (int i = 0; i < SheetCount(); ++i) {
        if (i != sheet && SameName(SheetName(i), name))
            return Status::Refused("another sheet is named " + name);
    }
    if (name == old) return Status::Ok();
    std::vector<FormulaEdit> edits;
    const auto rename = [&](std::string_view text, const std::optional<std::string>&) {
        return RenameSheetInFormula(text, old, name);
    };
    if (Status planned = PlanFormulaEdits(rename, old, false, edits); !planned) return planned;
    ApplyFormulaEdits(edits);
    sheets_[static_cast<std::size_t>(sheet)]->node.attribute("name").set_value(name.c_str());
    return Status::Ok();
}

Status Workbook::SetSheetVisible(int sheet, bool visible) {
    if (sheet < 0 || sheet >= SheetCount()) return Status::Refused("no such sheet");
    pugi::xml_node node = sheets_[static_cast<std::size_t>(sheet)]->node;
    if (visible) {
        node.remove_attribute("state");
        RestorePrintArea(sheet);
        return Status::Ok();
    }
    if (SheetHidden(sheet)) return Status::Ok();
    int visibleOthers = 0;
    for (int i = 0; i < SheetCount(); ++i) visibleOthers += (i != sheet && !SheetHidden(i)) ? 1 : 0;
    if (visibleOthers == 0) return Status::Refused("a workbook must keep at least one visible sheet");
    SetAttribute(node, "state", "hidden");
    PutPrintAreaAside(sheet);
    if (active_ == sheet) {
        // As a spreadsheet does, the next visible sheet is shown instead, else the one before.
        int next = sheet + 1;
        while (next < SheetCount() && SheetHidden(next)) ++next;
        if (next == SheetCount()) {
            next = sheet - 1;
            while (SheetHidden(next)) --next;
        }
        active_ = next;
    }
    return Status::Ok();
}

void Workbook::PutPrintAreaAside(int sheet) {
    SheetEntry& entry = *sheets_[static_cast<std::size_t>(sheet)];
    const pugi::xml_node names = Child(workbook_.document_element(), "definedNames");
    for (pugi::xml_node name : Elements(names, "definedName")) {
        if (!IsPrintAreaOf(name, sheet)) continue;
        entry.printAreaAside.append_copy(name);
        RemoveElement(name);
    }
}

void Workbook::RestorePrintArea(int sheet) {
    SheetEntry& entry = *sheets_[static_cast<std::size_t>(sheet)];
    if (!entry.printAreaAside.first_child()) return;
    pugi::xml_node root = workbook_.document_element();
    pugi::xml_node names = Child(root, "definedNames");
    if (!names) {
        pugi::xml_node before;
        for (const char* next :
             {"calcPr", "oleSize", "customWorkbookViews", "pivotCaches", "smartTagPr", "smartTagTypes",
              "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"}) {
            if ((before = Child(root, next))) break;
        }
        names = AddChild(root, "definedNames", before);
    }
    for (pugi::xml_node name : Elements(entry.printAreaAside, "definedName")) names.append_copy(name);
    entry.printAreaAside.reset();
}

Status Workbook::ActivateSheet(int sheet) {
    if (sheet < 0 || sheet >= SheetCount()) return Status::Refused("no such sheet");
    if (SheetHidden(sheet)) return Status::Refused("a hidden sheet cannot be selected");
    active_ = sheet;
    return Status::Ok();
}

Status Workbook::EnsureSharedStrings() {
    if (strings_) return Status::Ok();
    pugi::xml_document types;
    if (Status status = ParsePart(package_, kContentTypes, types); !status) return status;
    pugi::xml_document rels;
    const std::string relsPart = RelationshipsPartOf(workbookPart_);
    if (Status status = ParsePart(package_, relsPart, rels); !status) return status;

    // The table lives in the workbook's own namespace; its relationship type in the worksheets' one.
    const pugi::xml_node root = workbook_.document_element();
    const std::string_view rootName = root.name();
    const std::size_t colon = rootName.find(':');
    const std::string prefix = colon == std::string_view::npos ? "" : std::string(rootName.substr(0, colon));
    const std::string ns = root.attribute(prefix.empty() ? "xmlns" : ("xmlns:" + prefix).c_str()).value();
    std::string type;
    for (const Relationship& relationship : ReadRelationships(rels, workbookPart_)) {
        if (TypeIs(relationship.type, "worksheet")) {
            type = relationship.type.substr(0, relationship.type.size() - 9) + "sharedStrings";
        }
    }
    std::string part = ResolveTarget(workbookPart_, "sharedStrings.xml");
    for (int n = 2; package_.Find(part) != nullptr; ++n) {
        part = ResolveTarget(workbookPart_, "sharedStrings" + std::to_string(n) + ".xml");
    }

    pugi::xml_node sst = stringsDoc_.append_child("sst");
    sst.append_attribute("xmlns") = ns.c_str();
    AddRelationship(rels, type, TargetFor(workbookPart_, part));
    AddContentTypeOverride(types, part, kStringsType);
    package_.Put(relsPart, SerializeXml(rels));
    package_.Put(kContentTypes, SerializeXml(types));
    stringsPart_ = part;
    strings_ = std::make_unique<SharedStrings>(stringsDoc_);
    return Status::Ok();
}

Status Workbook::SetCellText(int sheet, int row, int column, std::string_view utf8) {
    if (Status status = CheckSheet(sheet); !status) return status;
    if (row < 1 || row > kLastRow || column < 1 || column > kLastColumn)
        return Status::Refused("no such cell");
    const std::u16string units = WideFromUtf8(utf8);
    if (Utf8FromWide(units) != utf8) return Status::Refused("the text is not valid UTF-8");
    if (units.size() > kLongestCellText) return Status::Refused("a cell holds at most 32767 characters");
    Sheet& target = *sheets_[static_cast<std::size_t>(sheet)]->sheet;
    if (utf8.empty()) {
        target.ClearValue(row, column);
        return Status::Ok();
    }
    if (Status status = EnsureSharedStrings(); !status) return status;
    target.SetSharedString(row, column, strings_->Index(utf8));
    return Status::Ok();
}

Status Workbook::InsertRows(int sheet, int at, int count) {
    if (Status status = CheckSheet(sheet); !status) return status;
    if (at < 1 || at > kLastRow || count < 1 || count > kLastRow) return Status::Refused("no such rows");
    return RowChange(sheet, RowShift::Insert(at, count), nullptr, false);
}

Status Workbook::InsertCopiedRows(int sheet, int at, int from, int first, int last) {
    if (Status status = CheckSheet(sheet); !status) return status;
    if (Status status = CheckSheet(from); !status) return status;
    if (at < 1 || at > kLastRow || first < 1 || last < first || last > kLastRow)
        return Status::Refused("no such rows");
    RowBlock block;
    if (Status copied = sheets_[static_cast<std::size_t>(from)]->sheet->CopyRows(first, last, block);
        !copied) {
        return copied;
    }
    return RowChange(sheet, RowShift::Insert(at, last - first + 1), &block, from == sheet);
}

Status Workbook::DeleteRows(int sheet, int first, int last) {
    if (Status status = CheckSheet(sheet); !status) return status;
    if (first < 1 || last < first || last > kLastRow) return Status::Refused("no such rows");
    return RowChange(sheet, RowShift::Delete(first, last - first + 1), nullptr, false);
}

Status Workbook::RowChange(int sheet, const RowShift& shift, const RowBlock* block, bool sameSheet) {
    Sheet& target = *sheets_[static_cast<std::size_t>(sheet)]->sheet;
    if (Status status = target.CheckShift(shift); !status) return status;
    if (block != nullptr) {
        if (Status status = target.CheckPlacement(*block, shift.at(), shift); !status) return status;
    }
    const std::string name = SheetName(sheet);
    std::vector<FormulaEdit> edits;
    const auto move = [&](std::string_view text, const std::optional<std::string>& home) {
        return ShiftFormulaRows(text, home, name, shift);
    };
    if (Status planned = PlanFormulaEdits(move, name, true, edits); !planned) return planned;
    // Copied hyperlinks get relationships of their own, so the sheet's relationships are read first.
    const std::string relsPart = RelationshipsPartOf(sheets_[static_cast<std::size_t>(sheet)]->part);
    pugi::xml_document rels;
    bool linksTravel = false;
    if (block != nullptr && sameSheet) {
        for (pugi::xml_node link : Elements(*block->hyperlinks, "hyperlink")) {
            for (pugi::xml_attribute a = link.first_attribute(); a; a = a.next_attribute()) {
                const std::string_view attribute = a.name();
                if (attribute.size() > 3 && attribute.substr(attribute.size() - 3) == ":id")
                    linksTravel = true;
            }
        }
    }
    if (linksTravel) {
        if (Status read = ParsePart(package_, relsPart, rels); !read) return read;
    }
    target.ShiftRows(shift);
    ApplyFormulaEdits(edits);
    if (block == nullptr) return Status::Ok();
    for (pugi::xml_node link : target.PlaceRows(*block, shift.at(), sameSheet)) {
        pugi::xml_attribute id = RelationshipIdAttribute(link);
        const std::string copy = id ? CopyRelationship(rels, id.value()) : std::string();
        if (!copy.empty()) id.set_value(copy.c_str());
    }
    if (linksTravel) package_.Put(relsPart, SerializeXml(rels));
    return Status::Ok();
}

Status Workbook::PlanFormulaEdits(const FormulaRewrite& rewrite, const std::string& touchedSheet,
                                  bool rowsMove, std::vector<FormulaEdit>& edits) const {
    const auto plan = [&](const pugi::xml_node& element, const std::optional<std::string>& home) {
        const std::string text = element.text().get();
        if (text.empty()) return Status::Ok();
        const auto rewritten = rewrite(text, home);
        if (!rewritten) {
            const bool ownSheet = rowsMove && home && SameName(*home, touchedSheet);
            if (ownSheet || Mentions(text, touchedSheet)) {
                return Status::Refused("the formula " + text + " cannot be made to follow");
            }
            return Status::Ok();
        }
        if (*rewritten == text) return Status::Ok();
        if (rowsMove && std::string_view(element.attribute("t").value()) == "shared") {
            return Status::Refused("the shared formula " + text + " cannot be made to follow");
        }
        edits.push_back({element, *rewritten});
        return Status::Ok();
    };
    for (int i = 0; i < SheetCount(); ++i) {
        const SheetEntry& entry = *sheets_[static_cast<std::size_t>(i)];
        if (!entry.sheet) continue;
        for (const pugi::xml_node& element : entry.sheet->FormulaElements()) {
            if (Status status = plan(element, SheetName(i)); !status) return status;
        }
    }
    for (pugi::xml_node name : Elements(Child(workbook_.document_element(), "definedNames"), "definedName")) {
        if (Status status = plan(name, std::nullopt); !status) return status;
    }
    // A print area put aside follows the rows and the name as it would have in place.
    for (const auto& entry : sheets_) {
        for (pugi::xml_node name : Elements(entry->printAreaAside, "definedName")) {
            if (Status status = plan(name, std::nullopt); !status) return status;
        }
    }
    return Status::Ok();
}

void Workbook::ApplyFormulaEdits(const std::vector<FormulaEdit>& edits) {
    for (const FormulaEdit& edit : edits) {
        pugi::xml_node element = edit.element;
        element.text().set(edit.text.c_str());
        // Cached results of moved formulas are stale; the reader recalculates on opening.
        if (LocalName(element) == "f" && LocalName(element.parent()) == "c") recalculate_ = true;
    }
}

void Workbook::UpdateViews() {
    pugi::xml_node root = workbook_.document_element();
    pugi::xml_node views = Child(root, "bookViews");
    if (!views && active_ != 0) views = AddChild(root, "bookViews", Child(root, "sheets"));
    if (pugi::xml_node view = Child(views, "workbookView")) {
        SetAttribute(view, "activeTab", std::to_string(active_));
        // The first tab shown must be one that can be shown, and not after the active one.
        if (pugi::xml_attribute first = view.attribute("firstSheet");
            first && (first.as_int() > active_ || first.as_int() < 0 || SheetHidden(first.as_int()))) {
            first.set_value(active_);
        }
    } else if (views) {
        SetAttribute(AddChild(views, "workbookView"), "activeTab", std::to_string(active_));
    }
    for (int i = 0; i < SheetCount(); ++i) {
        if (Sheet* sheet = sheets_[static_cast<std::size_t>(i)]->sheet.get())
            sheet->SetTabSelected(i == active_);
    }
}

void Workbook::StoreParts() {
    UpdateViews();
    long long references = 0;
    for (const auto& entry : sheets_) {
        if (!entry->sheet) continue;
        entry->sheet->Tidy();
        references += entry->sheet->SharedStringCells();
        package_.Put(entry->part, SerializeXml(*entry->doc));
    }
    if (strings_) {
        strings_->SetCounts(references);
        package_.Put(stringsPart_, SerializeXml(stringsDoc_));
    }
    if (recalculate_) {
        pugi::xml_node root = workbook_.document_element();
        pugi::xml_node calc = Child(root, "calcPr");
        if (!calc) {
            pugi::xml_node before;
            for (const char* next :
                 {"oleSize", "customWorkbookViews", "pivotCaches", "smartTagPr", "smartTagTypes",
                  "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"}) {
                if ((before = Child(root, next))) break;
            }
            calc = AddChild(root, "calcPr", before);
        }
        SetAttribute(calc, "fullCalcOnLoad", "1");
    }
    package_.Put(workbookPart_, SerializeXml(workbook_));
}

Status Workbook::WriteTo(const std::string& path) {
    StoreParts();
    if (Status saved = package_.Save(path); !saved) return saved;
    written_ = package_;
    return Status::Ok();
}

Status Workbook::Save() { return WriteTo(path_); }

Status Workbook::SaveAs(const std::string& path) {
    Status saved = WriteTo(path);
    if (saved) path_ = path;
    return saved;
}

Status Workbook::SaveChanges() {
    StoreParts();
    if (written_ && *written_ == package_) return Status::Ok();
    return WriteTo(path_);
}

}  // namespace platform::xlsx
