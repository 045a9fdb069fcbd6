#include "platform/spreadsheet/spreadsheet_app.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "platform/spreadsheet/spreadsheet_dispatch.h"
#include "platform/spreadsheet/xlsx_workbook.h"
#include "platform/xlsx/xlsx_refs.h"

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

// ---- the desktop -------------------------------------------------------------------

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

// ---- the object base ------------------------------------------------------------------------

using spreadsheet::Arguments;
using spreadsheet::Kind;
using spreadsheet::MemberSpec;

// Every object of the application answers until the application quits.
class Object : public spreadsheet::DispatchObject {
  public:
    explicit Object(std::shared_ptr<Application> app) : app_(std::move(app)) {}

  protected:
    bool Disconnected() const override { return app_->quit; }
    std::shared_ptr<Application> app_;
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
        if (Failed(Refused(book_->workbook->DeleteRows(sheet_, area_.first, area_.last))))
            return DISP_E_EXCEPTION;
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
        static constexpr MemberSpec kMembers[] = {{u"Cells", Kind::Get, 2},
                                                  {u"Name", Kind::Put, 0},
                                                  {u"Select", Kind::Method, 0},
                                                  {u"Visible", Kind::Put, 0},
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
        static constexpr MemberSpec kMembers[] = {
            {u"Worksheets", Kind::Get, 0}, {u"Save", Kind::Method, 0}, {u"SaveAs", Kind::Method, 1}};
        return kMembers;
    }
    HRESULT Run(int member, const Arguments& args, VARIANT* result) override {
        if (member == 0) return Give(result, new WorksheetsObject(app_, book_));
        if (member == 1) return Refused(book_->workbook->Save());
        const auto path = args.Text(0);
        if (!path) return DISP_E_TYPEMISMATCH;
        return Refused(book_->workbook->SaveAs(*path));
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
                const Selected selected =
                    found == app_->active->selections.end() ? Selected{} : found->second;
                return Give(result,
                            new RangeObject(app_, app_->active, sheet, RangeRole::Selection, selected));
            }
            default: {
                const auto on = args.Bool(args.Value());
                if (!on) return DISP_E_TYPEMISMATCH;
                if (!*on) app_->clipboard.reset();
                return S_OK;
            }
        }
    }

    // The user gets each open workbook as it stands: written to its path unless it is there as it
    // stands already, then opened on the desktop. A workbook that cannot be written is not handed over.
    HRESULT Show() {
        for (const auto& book : app_->books) {
            if (Failed(Refused(book->workbook->SaveChanges()))) return DISP_E_EXCEPTION;
            const SpreadsheetDesktop& desktop = Desktop();
            const bool display = desktop.hasDisplay ? desktop.hasDisplay() : DisplayExists();
            if (!display || book->handedOver) continue;
            book->handedOver = true;
            if (desktop.openDocument)
                desktop.openDocument(book->workbook->Path());
            else
                OpenWithDesktop(book->workbook->Path());
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

}  // namespace platform
