#include "platform/spreadsheet_app.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "platform/wide_text.h"
#include "platform/xlsx_refs.h"
#include "platform/xlsx_workbook.h"

namespace platform {
namespace {

// ---- what the application holds -------------------------------------------------------------

// What is selected on a sheet: whole rows first..last, or one cell.
struct Selected {
    bool rows = false;
    int first = 1;
    int last = 1;
    int column = 1;
};

struct Book {
    std::unique_ptr<xlsx::Workbook> workbook;
    std::map<int, Selected> selections;  // by sheet; a sheet not listed has A1 selected
    bool handedOver = false;
};

// Rows marked by Copy, until copy mode ends.
struct Clipboard {
    std::shared_ptr<Book> book;
    int sheet = 0;
    int first = 0;
    int last = 0;
};

struct Application {
    bool quit = false;
    std::vector<std::shared_ptr<Book>> books;
    std::shared_ptr<Book> active;
    std::optional<Clipboard> clipboard;
};

// ---- desktop and failures -------------------------------------------------------------------

bool DisplayExists() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// Detached twice over, so the opener neither waits for the program nor leaves it a zombie.
void OpenWithDesktop(const std::string& path) {
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 0), dup2(null, 1), dup2(null, 2);
            }
            execvp(argv[0], const_cast<char* const*>(argv));
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
}

SpreadsheetDesktop& Desktop() {
    static SpreadsheetDesktop desktop;
    return desktop;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::map<std::string, HRESULT>& Failures() {
    static std::map<std::string, HRESULT> failures;
    return failures;
}

// ---- the object base ------------------------------------------------------------------------

enum class Kind { Method, Get, Put };

struct MemberSpec {
    std::u16string_view name;
    Kind kind;
    std::uint32_t arguments;  // positional; a put also takes its value
};

// The arguments of one call in the member's own order (rgvarg holds them last first).
class Arguments {
public:
    Arguments(DISPPARAMS* params, std::uint32_t* argError) : params_(params), argError_(argError) {}

    std::optional<int> Int(std::uint32_t i) const {
        const VARIANT& v = At(i);
        if (v.vt == VT_I4) return v.lVal;
        if (v.vt == VT_INT) return v.intVal;
        return Mismatch(i), std::nullopt;
    }
    std::optional<bool> Bool(std::uint32_t i) const {
        const VARIANT& v = At(i);
        if (v.vt == VT_BOOL) return v.boolVal != VARIANT_FALSE;
        return Mismatch(i), std::nullopt;
    }
    std::optional<std::string> Text(std::uint32_t i) const {
        const VARIANT& v = At(i);
        if (v.vt == VT_BSTR) return Utf8FromWide(BstrView(v.bstrVal));
        return Mismatch(i), std::nullopt;
    }
    // The value of a property put.
    std::uint32_t Value() const { return params_->cArgs - 1; }

private:
    const VARIANT& At(std::uint32_t i) const { return params_->rgvarg[params_->cArgs - 1 - i]; }
    void Mismatch(std::uint32_t i) const {
        if (argError_ != nullptr) *argError_ = params_->cArgs - 1 - i;
    }
    DISPPARAMS* params_;
    std::uint32_t* argError_;
};

class Object : public IDispatch {
public:
    explicit Object(std::shared_ptr<Application> app) : app_(std::move(app)) {}

    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetIDsOfNames(const IID& riid, const OLECHAR* const* names, std::uint32_t count, LCID,
                          DISPID* ids) override {
        if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
        if (app_->quit) return RPC_E_DISCONNECTED;
        for (std::uint32_t i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
        const std::string wanted = AsciiLower(Utf8FromWide(names[0]));
        const auto members = Members();
        for (std::size_t m = 0; m < members.size(); ++m) {
            if (AsciiLower(Utf8FromWide(members[m].name)) == wanted) ids[0] = static_cast<DISPID>(m + 1);
        }
        // Parameters are never passed by name here.
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT Invoke(DISPID member, const IID& riid, LCID, WORD kind, DISPPARAMS* params, VARIANT* result,
                   std::uint32_t* argError) override {
        if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (app_->quit) return RPC_E_DISCONNECTED;
        const auto members = Members();
        if (member < 1 || static_cast<std::size_t>(member) > members.size()) return DISP_E_MEMBERNOTFOUND;
        const MemberSpec& spec = members[static_cast<std::size_t>(member - 1)];
        const bool kindFits = spec.kind == Kind::Method ? (kind & DISPATCH_METHOD) != 0
                              : spec.kind == Kind::Get  ? (kind & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0
                                                        : (kind & DISPATCH_PROPERTYPUT) != 0;
        if (!kindFits) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (params == nullptr) params = &none;
        if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
        if (spec.kind == Kind::Put) {
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
                return DISP_E_PARAMNOTFOUND;
            }
        } else if (params->cNamedArgs != 0) {
            return DISP_E_NONAMEDARGS;
        }
        if (params->cArgs != spec.arguments + (spec.kind == Kind::Put ? 1 : 0)) return DISP_E_BADPARAMCOUNT;
        if (const HRESULT injected = InjectedFailure(spec.name); Failed(injected)) return injected;
        try {
            return Run(member - 1, Arguments(params, argError), result);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }

protected:
    ~Object() override = default;
    virtual const char* Receiver() const = 0;
    virtual std::span<const MemberSpec> Members() const = 0;
    virtual HRESULT Run(int member, const Arguments& args, VARIANT* result) = 0;

    // Hands a new object to the caller's result, which then holds its one reference.
    static HRESULT Give(VARIANT* result, IDispatch* object) {
        if (result == nullptr) {
            object->Release();
            return S_OK;
        }
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

    std::shared_ptr<Application> app_;

private:
    HRESULT InjectedFailure(std::u16string_view name) const {
        const std::string member = AsciiLower(Utf8FromWide(name));
        for (const std::string& key : {AsciiLower(Receiver()) + "." + member, member}) {
            if (const auto found = Failures().find(key); found != Failures().end()) return found->second;
        }
        return S_OK;
    }

    std::atomic<std::uint32_t> references_{1};
};

HRESULT Refused(const xlsx::Status& status) { return status ? S_OK : DISP_E_EXCEPTION; }

// ---- ranges: rows, the selection, a cell ----------------------------------------------------

enum class RangeRole { Rows, Selection, Cell };

class RangeObject final : public Object {
public:
    RangeObject(std::shared_ptr<Application> app, std::shared_ptr<Book> book, int sheet, RangeRole role,
                Selected area)
        : Object(std::move(app)), book_(std::move(book)), sheet_(sheet), role_(role), area_(area) {}

private:
    const char* Receiver() const override {
        return role_ == RangeRole::Rows ? "rows" : role_ == RangeRole::Selection ? "selection" : "cell";
    }

    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kRows[] = {{u"Delete", Kind::Method, 0}, {u"Select", Kind::Method, 0}};
        static constexpr MemberSpec kSelection[] = {{u"Copy", Kind::Method, 0}, {u"Insert", Kind::Method, 0}};
        static constexpr MemberSpec kCell[] = {{u"Value", Kind::Put, 0}, {u"Select", Kind::Method, 0}};
        if (role_ == RangeRole::Rows) return kRows;
        if (role_ == RangeRole::Selection) return kSelection;
        return kCell;
    }

    HRESULT Run(int member, const Arguments& args, VARIANT*) override {
        const std::u16string_view name = Members()[static_cast<std::size_t>(member)].name;
        if (name == u"Delete") return Delete();
        if (name == u"Select") return Select();
        if (name == u"Copy") return Copy();
        if (name == u"Insert") return Insert();
        const auto text = args.Text(args.Value());
        if (!text) return DISP_E_TYPEMISMATCH;
        return Refused(book_->workbook->SetCellText(sheet_, area_.first, area_.column, *text));
    }

    HRESULT Delete() {
        if (Failed(Refused(book_->workbook->DeleteRows(sheet_, area_.first, area_.last)))) return DISP_E_EXCEPTION;
        // Deleting rows ends copy mode, as it does in a spreadsheet.
        app_->clipboard.reset();
        return S_OK;
    }

    // Only the sheet on show, in the workbook on show, can have its cells selected.
    HRESULT Select() {
        if (app_->active != book_ || book_->workbook->ActiveSheet() != sheet_) return DISP_E_EXCEPTION;
        book_->selections[sheet_] = area_;
        return S_OK;
    }

    HRESULT Copy() {
        if (!area_.rows) return DISP_E_EXCEPTION;
        app_->clipboard = Clipboard{book_, sheet_, area_.first, area_.last};
        return S_OK;
    }

    // With rows in copy mode, their copy goes in at the selection; otherwise empty rows do.
    HRESULT Insert() {
        if (!area_.rows) return DISP_E_EXCEPTION;
        xlsx::Workbook& workbook = *book_->workbook;
        const int at = area_.first;
        if (!app_->clipboard) return Refused(workbook.InsertRows(sheet_, at, area_.last - area_.first + 1));
        Clipboard& clip = *app_->clipboard;
        if (clip.book != book_) return DISP_E_EXCEPTION;
        const int count = clip.last - clip.first + 1;
        if (Failed(Refused(workbook.InsertCopiedRows(sheet_, at, clip.sheet, clip.first, clip.last)))) {
            return DISP_E_EXCEPTION;
        }
        // The marked rows move down with the rest of the sheet; the copy stands selected.
        if (clip.sheet == sheet_ && clip.first >= at) clip.first += count, clip.last += count;
        book_->selections[sheet_] = Selected{true, at, at + count - 1, 1};
        return S_OK;
    }

    std::shared_ptr<Book> book_;
    int sheet_;
    RangeRole role_;
    Selected area_;
};

// ---- worksheets -----------------------------------------------------------------------------

std::optional<Selected> ParseRows(std::string_view text) {
    const std::size_t colon = text.find(':');
    const auto number = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 7) return std::nullopt;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > xlsx::kLastRow) return std::nullopt;
        return value;
    };
    const auto first = number(text.substr(0, colon));
    const auto last = colon == std::string_view::npos ? first : number(text.substr(colon + 1));
    if (!first || !last) return std::nullopt;
    return Selected{true, std::min(*first, *last), std::max(*first, *last), 1};
}

class WorksheetObject final : public Object {
public:
    WorksheetObject(std::shared_ptr<Application> app, std::shared_ptr<Book> book, int sheet)
        : Object(std::move(app)), book_(std::move(book)), sheet_(sheet) {}

private:
    const char* Receiver() const override { return "worksheet"; }
    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kMembers[] = {{u"Cells", Kind::Get, 2},   {u"Name", Kind::Put, 0},
                                                  {u"Select", Kind::Method, 0}, {u"Visible", Kind::Put, 0},
                                                  {u"Rows", Kind::Get, 1}};
        return kMembers;
    }

    HRESULT Run(int member, const Arguments& args, VARIANT* result) override {
        xlsx::Workbook& workbook = *book_->workbook;
        switch (member) {
            case 0: {
                const auto row = args.Int(0);
                const auto column = row ? args.Int(1) : std::nullopt;
                if (!row || !column) return DISP_E_TYPEMISMATCH;
                if (*row < 1 || *row > xlsx::kLastRow || *column < 1 || *column > xlsx::kLastColumn) {
                    return DISP_E_EXCEPTION;
                }
                return Give(result, new RangeObject(app_, book_, sheet_, RangeRole::Cell,
                                                    Selected{false, *row, *row, *column}));
            }
            case 1: {
                const auto name = args.Text(args.Value());
                if (!name) return DISP_E_TYPEMISMATCH;
                return Refused(workbook.RenameSheet(sheet_, *name));
            }
            case 2:
                if (Failed(Refused(workbook.ActivateSheet(sheet_)))) return DISP_E_EXCEPTION;
                app_->active = book_;
                return S_OK;
            case 3: {
                const auto visible = args.Bool(args.Value());
                if (!visible) return DISP_E_TYPEMISMATCH;
                return Refused(workbook.SetSheetVisible(sheet_, *visible));
            }
            default: {
                const auto text = args.Text(0);
                if (!text) return DISP_E_TYPEMISMATCH;
                const auto rows = ParseRows(*text);
                if (!rows) return DISP_E_EXCEPTION;
                return Give(result, new RangeObject(app_, book_, sheet_, RangeRole::Rows, *rows));
            }
        }
    }

    std::shared_ptr<Book> book_;
    int sheet_;
};

class WorksheetsObject final : public Object {
public:
    WorksheetsObject(std::shared_ptr<Application> app, std::shared_ptr<Book> book)
        : Object(std::move(app)), book_(std::move(book)) {}

private:
    const char* Receiver() const override { return "worksheets"; }
    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kMembers[] = {{u"Item", Kind::Get, 1}};
        return kMembers;
    }
    HRESULT Run(int, const Arguments& args, VARIANT* result) override {
        const auto n = args.Int(0);
        if (!n) return DISP_E_TYPEMISMATCH;
        const auto sheet = book_->workbook->WorksheetIndex(*n);
        if (!sheet) return DISP_E_BADINDEX;
        return Give(result, new WorksheetObject(app_, book_, *sheet));
    }

    std::shared_ptr<Book> book_;
};

// ---- workbooks ------------------------------------------------------------------------------

class WorkbookObject final : public Object {
public:
    WorkbookObject(std::shared_ptr<Application> app, std::shared_ptr<Book> book)
        : Object(std::move(app)), book_(std::move(book)) {}

private:
    const char* Receiver() const override { return "workbook"; }
    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kMembers[] = {{u"Worksheets", Kind::Get, 0}, {u"Save", Kind::Method, 0}};
        return kMembers;
    }
    HRESULT Run(int member, const Arguments&, VARIANT* result) override {
        if (member == 0) return Give(result, new WorksheetsObject(app_, book_));
        return Refused(book_->workbook->Save());
    }

    std::shared_ptr<Book> book_;
};

class WorkbooksObject final : public Object {
public:
    using Object::Object;

private:
    const char* Receiver() const override { return "workbooks"; }
    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kMembers[] = {{u"Open", Kind::Method, 1}};
        return kMembers;
    }
    HRESULT Run(int, const Arguments& args, VARIANT* result) override {
        const auto path = args.Text(0);
        if (!path) return DISP_E_TYPEMISMATCH;
        auto book = std::make_shared<Book>();
        if (!xlsx::Workbook::Open(*path, book->workbook)) return DISP_E_EXCEPTION;
        app_->books.push_back(book);
        app_->active = book;
        return Give(result, new WorkbookObject(app_, book));
    }
};

// ---- the application ------------------------------------------------------------------------

class ApplicationObject final : public Object {
public:
    using Object::Object;

private:
    const char* Receiver() const override { return "application"; }
    std::span<const MemberSpec> Members() const override {
        static constexpr MemberSpec kMembers[] = {{u"Quit", Kind::Method, 0},
                                                  {u"Visible", Kind::Put, 0},
                                                  {u"Workbooks", Kind::Get, 0},
                                                  {u"Selection", Kind::Get, 0},
                                                  {u"CutCopyMode", Kind::Put, 0}};
        return kMembers;
    }

    HRESULT Run(int member, const Arguments& args, VARIANT* result) override {
        switch (member) {
            case 0:
                // Workbooks not saved are dropped; the objects still held stop answering.
                app_->quit = true;
                app_->books.clear();
                app_->active.reset();
                app_->clipboard.reset();
                return S_OK;
            case 1: {
                const auto visible = args.Bool(args.Value());
                if (!visible) return DISP_E_TYPEMISMATCH;
                return *visible ? Show() : S_OK;
            }
            case 2:
                return Give(result, new WorkbooksObject(app_));
            case 3: {
                if (!app_->active) return DISP_E_EXCEPTION;
                const int sheet = app_->active->workbook->ActiveSheet();
                const auto found = app_->active->selections.find(sheet);
                const Selected selected = found == app_->active->selections.end() ? Selected{} : found->second;
                return Give(result, new RangeObject(app_, app_->active, sheet, RangeRole::Selection, selected));
            }
            default: {
                const auto on = args.Bool(args.Value());
                if (!on) return DISP_E_TYPEMISMATCH;
                if (!*on) app_->clipboard.reset();
                return S_OK;
            }
        }
    }

    // The user gets each open workbook as it stands: written to its path, then opened on the desktop.
    HRESULT Show() {
        for (const auto& book : app_->books) {
            if (Failed(Refused(book->workbook->Save()))) return DISP_E_EXCEPTION;
            const SpreadsheetDesktop& desktop = Desktop();
            const bool display = desktop.hasDisplay ? desktop.hasDisplay() : DisplayExists();
            if (!display || book->handedOver) continue;
            book->handedOver = true;
            if (desktop.openDocument) desktop.openDocument(book->workbook->Path());
            else OpenWithDesktop(book->workbook->Path());
        }
        return S_OK;
    }
};

}  // namespace

HRESULT CreateSpreadsheetApplication(IDispatch** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    try {
        *object = new ApplicationObject(std::make_shared<Application>());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

SpreadsheetDesktop SetSpreadsheetDesktop(SpreadsheetDesktop desktop) {
    SpreadsheetDesktop previous = Desktop();
    Desktop() = std::move(desktop);
    return previous;
}

void FailSpreadsheetMember(std::string_view member, HRESULT code) {
    const std::string key = AsciiLower(std::string(member));
    if (Succeeded(code)) Failures().erase(key);
    else Failures()[key] = code;
}

void ClearSpreadsheetFailures() { Failures().clear(); }

}  // namespace platform
