#include "platform/spreadsheet/xlsx_formula.h"

#include "platform/spreadsheet/xlsx_names.h"

namespace platform::xlsx {
namespace {

bool IsNameChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '$' || c == '\\' || byte >= 0x80;
}

// "$B$12", "B12", "$12", "B"; nullopt when the text is none of them.
std::optional<RefEnd> ParseEnd(std::string_view text) {
    RefEnd end;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$') end.absoluteColumn = true, ++i;
    const std::size_t lettersFrom = i;
    while (i < text.size() && text[i] >= 'A' && text[i] <= 'Z') ++i;
    const std::string_view letters = text.substr(lettersFrom, i - lettersFrom);
    if (!letters.empty()) {
        end.column = ColumnNumber(letters);
        if (end.column == 0) return std::nullopt;
    } else {
        // "$12" is an absolute row, not an absolute column.
        end.absoluteRow = end.absoluteColumn;
        end.absoluteColumn = false;
    }
    if (i < text.size() && text[i] == '$') {
        if (letters.empty()) return std::nullopt;
        end.absoluteRow = true, ++i;
    }
    const std::size_t digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i != text.size()) return std::nullopt;
    const std::string_view digits = text.substr(digitsFrom);
    if (!digits.empty()) {
        if (digits.size() > 7 || digits[0] == '0') return std::nullopt;
        end.row = std::stoi(std::string(digits));
        if (end.row > kLastRow) return std::nullopt;
    } else if (end.absoluteRow) {
        return std::nullopt;
    }
    if (end.column == 0 && end.row == 0) return std::nullopt;
    return end;
}

std::string EndText(const RefEnd& end) {
    std::string text;
    if (end.column != 0) text += (end.absoluteColumn ? "$" : "") + ColumnName(end.column);
    if (end.row != 0) text += (end.absoluteRow ? "$" : "") + std::to_string(end.row);
    return text;
}

bool SameKind(const RefEnd& a, const RefEnd& b) {
    return (a.column == 0) == (b.column == 0) && (a.row == 0) == (b.row == 0);
}

// A reference is a cell, a cell range, a row range or a column range; a lone row or column is not one.
std::optional<FormulaRef> ParseRef(std::string_view first, std::optional<std::string_view> second) {
    FormulaRef ref;
    const auto a = ParseEnd(first);
    if (!a) return std::nullopt;
    ref.first = *a;
    if (!second) {
        if (a->column == 0 || a->row == 0) return std::nullopt;
        return ref;
    }
    const auto b = ParseEnd(*second);
    if (!b || !SameKind(*a, *b)) return std::nullopt;
    ref.second = *b;
    return ref;
}

std::string RefText(const FormulaRef& ref) {
    std::string text = EndText(ref.first);
    if (ref.second) text += ":" + EndText(*ref.second);
    return text;
}

std::size_t NameRunEnd(std::string_view text, std::size_t from) {
    while (from < text.size() && IsNameChar(text[from])) ++from;
    return from;
}

class Rewriter {
  public:
    Rewriter(std::string_view formula, const RefRewriter& rewriter) : text_(formula), rewriter_(rewriter) {}

    std::optional<std::string> Run() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            bool ok = true;
            if (c == '"')
                ok = CopyString();
            else if (c == '\'')
                ok = QuotedSheet();
            else if (c == '#')
                CopyError();
            else if (c == '[' || c == '!')
                ok = false;
            else if (IsNameChar(c))
                ok = NameOrRef();
            else
                out_ += text_[pos_++];
            if (!ok) return std::nullopt;
        }
        return out_;
    }

  private:
    bool CopyString() {
        const std::size_t start = pos_++;
        while (pos_ < text_.size()) {
            if (text_[pos_] == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                out_.append(text_.substr(start, pos_ - start));
                return true;
            }
            ++pos_;
        }
        return false;
    }

    void CopyError() {
        const std::size_t start = pos_++;
        while (pos_ < text_.size() && (IsNameChar(text_[pos_]) || text_[pos_] == '/')) ++pos_;
        if (pos_ < text_.size() && (text_[pos_] == '!' || text_[pos_] == '?')) ++pos_;
        out_.append(text_.substr(start, pos_ - start));
    }

    bool QuotedSheet() {
        const std::size_t start = pos_++;
        std::string name;
        while (true) {
            if (pos_ >= text_.size()) return false;
            if (text_[pos_] == '\'') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                    name += '\'';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            name += text_[pos_++];
        }
        if (pos_ >= text_.size() || text_[pos_] != '!') return false;
        ++pos_;
        return AfterSheet(text_.substr(start, pos_ - start), name);
    }

    // The run after a ':' at `at`, the second end of a range; `next` moves past it.
    std::optional<std::string_view> RangeEnd(std::size_t at, std::size_t& next) const {
        if (at >= text_.size() || text_[at] != ':') return std::nullopt;
        next = NameRunEnd(text_, at + 1);
        return text_.substr(at + 1, next - at - 1);
    }

    // What follows "Sheet!": a reference, or an error value such as #REF!.
    bool AfterSheet(std::string_view prefix, const std::string& name) {
        if (pos_ < text_.size() && text_[pos_] == '#') {
            out_.append(prefix);
            return true;
        }
        const std::size_t end = NameRunEnd(text_, pos_);
        const std::string_view first = text_.substr(pos_, end - pos_);
        std::size_t next = end;
        const std::optional<std::string_view> second = RangeEnd(end, next);
        auto ref = ParseRef(first, second);
        if (!ref) return false;
        pos_ = next;
        ref->sheet = name;
        if (!rewriter_(*ref)) return false;
        if (ref->sheet && *ref->sheet == name)
            out_.append(prefix);
        else if (ref->sheet)
            out_ += SheetPrefix(*ref->sheet);
        out_ += RefText(*ref);
        return true;
    }

    bool NameOrRef() {
        const std::size_t end = NameRunEnd(text_, pos_);
        const std::string_view run = text_.substr(pos_, end - pos_);
        if (end < text_.size() && text_[end] == '!') {
            pos_ = end + 1;
            return AfterSheet(text_.substr(end - run.size(), run.size() + 1), std::string(run));
        }
        if (end < text_.size() && text_[end] == '(') {
            out_.append(run);
            pos_ = end;
            return true;
        }
        std::size_t next = end;
        const std::optional<std::string_view> second = RangeEnd(end, next);
        auto ref = ParseRef(run, second);
        if (!ref) {
            // A range between names or numbers is beyond this reader.
            if (second) return false;
            out_.append(run);
            pos_ = end;
            return true;
        }
        pos_ = next;
        if (!rewriter_(*ref)) return false;
        if (ref->sheet) out_ += SheetPrefix(*ref->sheet);
        out_ += RefText(*ref);
        return true;
    }

    std::string_view text_;
    const RefRewriter& rewriter_;
    std::size_t pos_ = 0;
    std::string out_;
};

}  // namespace

std::optional<std::string> RewriteFormulaRefs(std::string_view formula, const RefRewriter& rewriter) {
    return Rewriter(formula, rewriter).Run();
}

std::optional<std::string> ShiftFormulaRows(std::string_view formula, const std::optional<std::string>& home,
                                            const std::string& sheet, const RowShift& shift) {
    return RewriteFormulaRefs(formula, [&](FormulaRef& ref) {
        const std::optional<std::string>& target = ref.sheet ? ref.sheet : home;
        if (!target || !SameName(*target, sheet)) return true;
        if (ref.first.row == 0) return true;  // whole columns do not move
        if (!ref.second) {
            const auto row = shift.Row(ref.first.row);
            if (!row) return false;
            ref.first.row = *row;
            return true;
        }
        RefEnd& top = ref.first.row <= ref.second->row ? ref.first : *ref.second;
        RefEnd& bottom = ref.first.row <= ref.second->row ? *ref.second : ref.first;
        const auto span = shift.Span(top.row, bottom.row);
        if (!span) return false;
        top.row = span->first;
        bottom.row = span->second;
        return true;
    });
}

std::optional<std::string> RenameSheetInFormula(std::string_view formula, const std::string& from,
                                                const std::string& to) {
    return RewriteFormulaRefs(formula, [&](FormulaRef& ref) {
        if (ref.sheet && SameName(*ref.sheet, from)) ref.sheet = to;
        return true;
    });
}

}  // namespace platform::xlsx
