#include "platform/spreadsheet/spreadsheet_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "platform/text/wide_text.h"
#include "tests/platform/spreadsheet/workbook_fixtures.h"
#include "tests/support/device_node.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"
#include "tests/support/workbook_reader.h"

namespace {

using namespace platform;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Releaser {
    void operator()(IDispatch* object) const {
        if (object != nullptr) object->Release();
    }
};
using Ref = std::unique_ptr<IDispatch, Releaser>;

VARIANT Int(int value) {
    VARIANT v;
    v.vt = VT_INT;
    v.intVal = value;
    return v;
}
VARIANT I4(int value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
VARIANT Bool(bool value) {
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANT Text(const std::u16string& value) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(value.data(), static_cast<std::uint32_t>(value.size()));
    return v;
}

struct Outcome {
    HRESULT code = S_OK;
    Ref object;  // what a get handed back
    std::uint32_t argError = 99;
};

// One late-bound call the way an automation client makes it: the name looked up, the arguments given
// last first, a put's value as the named argument.
Outcome Call(IDispatch* object, WORD kind, std::u16string name, std::vector<VARIANT> args = {}) {
    Outcome outcome;
    const OLECHAR* names[] = {name.c_str()};
    DISPID id = 0;
    outcome.code = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (Succeeded(outcome.code)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), kind == DISPATCH_PROPERTYPUT ? &put : nullptr,
                          static_cast<std::uint32_t>(reversed.size()),
                          kind == DISPATCH_PROPERTYPUT ? 1u : 0u};
        VARIANT result;
        VariantInit(&result);
        outcome.code =
            object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, kind, &params, &result, &outcome.argError);
        if (result.vt == VT_DISPATCH)
            outcome.object.reset(result.pdispVal);
        else
            VariantClear(&result);
    }
    for (VARIANT& arg : args) VariantClear(&arg);
    return outcome;
}

HRESULT Method(IDispatch* object, std::u16string name, std::vector<VARIANT> args = {}) {
    return Call(object, DISPATCH_METHOD, std::move(name), std::move(args)).code;
}
HRESULT Put(IDispatch* object, std::u16string name, VARIANT value) {
    return Call(object, DISPATCH_PROPERTYPUT, std::move(name), {value}).code;
}
Ref Get(IDispatch* object, std::u16string name, std::vector<VARIANT> args = {}) {
    Outcome outcome = Call(object, DISPATCH_PROPERTYGET, name, std::move(args));
    EXPECT_EQ(outcome.code, S_OK) << "get failed";
    return std::move(outcome.object);
}

class SpreadsheetApplication : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::WriteProtocolTemplate(path);
        previousDesktop = SetSpreadsheetDesktop(
            {[] { return false; }, [this](const std::string& p) { opened.push_back(p); }});
        IDispatch* made = nullptr;
        ASSERT_EQ(CreateSpreadsheetApplication(&made), S_OK);
        app.reset(made);
    }
    void TearDown() override {
        ClearSpreadsheetFailures();
        SetSpreadsheetDesktop(previousDesktop);
    }
    // Opens the workbook and returns it with its first worksheet.
    std::pair<Ref, Ref> OpenFirstSheet() {
        Ref books = Get(app.get(), u"Workbooks");
        Outcome book = Call(books.get(), DISPATCH_METHOD, u"Open", {Text(std::u16string(path16))});
        EXPECT_EQ(book.code, S_OK);
        Ref sheets = Get(book.object.get(), u"Worksheets");
        Ref sheet = Get(sheets.get(), u"Item", {I4(1)});
        return {std::move(book.object), std::move(sheet)};
    }

    testing_support::TempFolder folder;
    std::string path = folder.file("Протокол.xlsx");
    std::u16string path16 = WideFromUtf8(path);
    Ref app;
    std::vector<std::string> opened;
    SpreadsheetDesktop previousDesktop;
};

TEST(SpreadsheetServer, InstalledUnderItsProgIdUnlessHidden) {
    ASSERT_TRUE(Succeeded(OleInitialize(nullptr)));
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Excel.Application", &clsid), S_OK);
    IDispatch* object = nullptr;
    ASSERT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch, &object),
        S_OK);
    ASSERT_NE(object, nullptr);
    Ref app(object);
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYGET, u"Workbooks").code, S_OK);

    RegisterServer(u"Excel.Application", {});  // a machine without it
    EXPECT_EQ(CLSIDFromProgID(u"Excel.Application", &clsid), CO_E_CLASSSTRING);
    UnregisterServer(u"Excel.Application");
    EXPECT_EQ(CLSIDFromProgID(u"excel.application", &clsid), S_OK);
    OleUninitialize();
}

TEST_F(SpreadsheetApplication, OffersItsMembersAndNoOthers) {
    auto [book, sheet] = OpenFirstSheet();
    Ref books = Get(app.get(), u"Workbooks");
    Ref sheets = Get(book.get(), u"Worksheets");
    Ref rows = Get(sheet.get(), u"Rows", {Text(u"5:5")});
    Ref cell = Get(sheet.get(), u"Cells", {Int(1), Int(1)});
    ASSERT_EQ(Method(sheet.get(), u"Select"), S_OK);
    Ref selection = Get(app.get(), u"Selection");
    const struct {
        IDispatch* receiver;
        std::vector<std::u16string> members;
        std::vector<std::u16string> strangers;
    } cases[] = {
        {app.get(),
         {u"Quit", u"Visible", u"Workbooks", u"Selection", u"CutCopyMode", u"visible"},
         {u"ActiveSheet", u"Range", u"DisplayAlerts", u"Name", u""}},
        {books.get(), {u"Open"}, {u"Add", u"Count", u"Item"}},
        {book.get(), {u"Worksheets", u"Save", u"SaveAs"}, {u"Close", u"SaveCopyAs", u"Sheets"}},
        {sheets.get(), {u"Item"}, {u"Count", u"Add"}},
        {sheet.get(), {u"Cells", u"Name", u"Select", u"Visible", u"Rows"}, {u"Range", u"Delete", u"Value"}},
        {rows.get(), {u"Delete", u"Select"}, {u"Copy", u"Insert", u"Value"}},
        {selection.get(), {u"Copy", u"Insert"}, {u"Delete", u"Select", u"Value"}},
        {cell.get(), {u"Value", u"Select"}, {u"Copy", u"Text", u"Formula"}},
    };
    for (const auto& c : cases) {
        for (const auto& name : c.members) {
            const OLECHAR* names[] = {name.c_str()};
            DISPID id = DISPID_UNKNOWN;
            EXPECT_EQ(c.receiver->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
            EXPECT_GT(id, 0);
        }
        for (const auto& name : c.strangers) {
            const OLECHAR* names[] = {name.c_str()};
            DISPID id = 7;
            EXPECT_EQ(c.receiver->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
                      DISP_E_UNKNOWNNAME);
            EXPECT_EQ(id, DISPID_UNKNOWN);
        }
    }
}

TEST_F(SpreadsheetApplication, CallsOfTheWrongShapeAreRefusedAsAutomationRefusesThem) {
    auto [book, sheet] = OpenFirstSheet();
    Outcome wrongType = Call(sheet.get(), DISPATCH_PROPERTYGET, u"Cells", {Int(1), Text(u"B")});
    EXPECT_EQ(wrongType.code, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(wrongType.argError, 0u);  // the column, given first in the array
    EXPECT_EQ(Call(sheet.get(), DISPATCH_PROPERTYGET, u"Cells", {Int(1)}).code, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(sheet.get(), DISPATCH_PROPERTYPUT, u"Cells", {Int(1)}).code, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(sheet.get(), DISPATCH_PROPERTYGET, u"Select").code, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYPUT, u"Visible", {Text(u"yes")}).code, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(sheet.get(), DISPATCH_PROPERTYPUT, u"Name", {Int(3)}).code, DISP_E_TYPEMISMATCH);
    // A put must name its value as the put's argument.
    const OLECHAR* names[] = {u"Name"};
    DISPID id = 0;
    ASSERT_EQ(sheet->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT value = Text(u"Без имени");
    DISPPARAMS unnamed{&value, nullptr, 1, 0};
    EXPECT_EQ(
        sheet->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr),
        DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(sheet->Invoke(id, IID_IDispatch, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &unnamed, nullptr,
                            nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(sheet->Invoke(99, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    VariantClear(&value);

    const struct {
        IDispatch* receiver;
        WORD kind;
        std::u16string member;
        std::vector<VARIANT> args;
        HRESULT code;
    } refused[] = {
        {sheet.get(), DISPATCH_PROPERTYGET, u"Cells", {Int(0), Int(1)}, DISP_E_EXCEPTION},
        {sheet.get(), DISPATCH_PROPERTYGET, u"Cells", {Int(1), Int(16385)}, DISP_E_EXCEPTION},
        {sheet.get(), DISPATCH_PROPERTYGET, u"Rows", {Text(u"0:1")}, DISP_E_EXCEPTION},
        {sheet.get(), DISPATCH_PROPERTYGET, u"Rows", {Text(u"5-7")}, DISP_E_EXCEPTION},
        {sheet.get(), DISPATCH_PROPERTYGET, u"Rows", {Text(u"")}, DISP_E_EXCEPTION},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(Call(r.receiver, r.kind, r.member, r.args).code, r.code);
    }
    Ref sheets = Get(book.get(), u"Worksheets");
    for (int n : {0, 5, -1})
        EXPECT_EQ(Call(sheets.get(), DISPATCH_PROPERTYGET, u"Item", {I4(n)}).code, DISP_E_BADINDEX);
    EXPECT_EQ(Call(sheets.get(), DISPATCH_PROPERTYGET, u"Item", {Int(4)}).code,
              S_OK);  // the hidden one counts
}

TEST_F(SpreadsheetApplication, DuplicatingARowThroughTheSelection) {
    auto [book, sheet] = OpenFirstSheet();
    ASSERT_EQ(Method(sheet.get(), u"Select"), S_OK);
    Ref rows = Get(sheet.get(), u"Rows", {Text(u"32:32")});
    ASSERT_EQ(Method(rows.get(), u"Select"), S_OK);
    Ref selection = Get(app.get(), u"Selection");
    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_EQ(Method(selection.get(), u"Copy"), S_OK);
        ASSERT_EQ(Method(selection.get(), u"Insert"), S_OK);
    }
    // Copy mode stays on: one more Insert is one more copy; once it is off, Insert makes an empty row.
    ASSERT_EQ(Method(selection.get(), u"Insert"), S_OK);
    ASSERT_EQ(Put(app.get(), u"CutCopyMode", Bool(false)), S_OK);
    Ref footer = Get(sheet.get(), u"Rows", {Text(u"48:48")});
    ASSERT_EQ(Method(footer.get(), u"Select"), S_OK);
    Ref footerSelection = Get(app.get(), u"Selection");
    ASSERT_EQ(Method(footerSelection.get(), u"Insert"), S_OK);
    Ref a1 = Get(sheet.get(), u"Cells", {Int(1), Int(1)});
    ASSERT_EQ(Method(a1.get(), u"Select"), S_OK);
    ASSERT_EQ(Method(book.get(), u"Save"), S_OK);

    EXPECT_EQ(testing_support::RepairProblems(path), std::vector<std::string>{});
    const auto view = testing_support::ReadWithOpenpyxl(path);
    EXPECT_EQ(view.ValuesOf("Канал 1", "A", 32, 37),
              (std::vector<std::string>{"точка 1", "точка 1", "точка 1", "точка 1", "точка 1", "точка 2"}));
    EXPECT_EQ(view.values.at("Канал 1!A49"), "Заключение");
    EXPECT_EQ(view.values.count("Канал 1!A48"), 0u);
    EXPECT_EQ(view.rows.at("Канал 1!36"), "ht=20");
    EXPECT_EQ(view.styles.at("Канал 1!D35"), view.styles.at("Канал 1!D32"));
    EXPECT_EQ(view.printAreas.at("Канал 1"), "$A$1:$H$55");
}

TEST_F(SpreadsheetApplication, FillingSheetsRenamingAndHidingThem) {
    auto [book, first] = OpenFirstSheet();
    Ref sheets = Get(book.get(), u"Worksheets");
    for (int n = 1; n <= 3; ++n) {
        Ref sheet = Get(sheets.get(), u"Item", {I4(n)});
        ASSERT_EQ(Method(sheet.get(), u"Select"), S_OK);
        Ref cell = Get(sheet.get(), u"Cells", {Int(3), Int(2)});
        ASSERT_EQ(Put(cell.get(), u"Value",
                      Text(u"Датчик № " + std::u16string(1, static_cast<char16_t>(u'0' + n)))),
                  S_OK);
        ASSERT_EQ(
            Put(sheet.get(), u"Name", Text(u"Датчик " + std::u16string(1, static_cast<char16_t>(u'0' + n)))),
            S_OK);
    }
    // Names a spreadsheet refuses leave the old one.
    Ref second = Get(sheets.get(), u"Item", {I4(2)});
    for (const std::u16string name : {u"History", u"датчик 1", u"a/b", u""}) {
        EXPECT_EQ(Put(second.get(), u"Name", Text(name)), DISP_E_EXCEPTION);
    }
    Ref fourth = Get(sheets.get(), u"Item", {I4(4)});
    EXPECT_EQ(Method(fourth.get(), u"Select"), DISP_E_EXCEPTION);  // hidden in the template
    // Cells of a sheet not on show cannot be selected.
    Ref third = Get(sheets.get(), u"Item", {I4(3)});
    Ref cell = Get(first.get(), u"Cells", {Int(1), Int(1)});
    EXPECT_EQ(Method(cell.get(), u"Select"), DISP_E_EXCEPTION);
    ASSERT_EQ(Put(third.get(), u"Visible", Bool(false)), S_OK);
    ASSERT_EQ(Put(second.get(), u"Visible", Bool(false)), S_OK);
    EXPECT_EQ(Put(first.get(), u"Visible", Bool(false)), DISP_E_EXCEPTION);  // the last one visible
    ASSERT_EQ(Method(first.get(), u"Select"), S_OK);
    ASSERT_EQ(Method(cell.get(), u"Select"), S_OK);
    ASSERT_EQ(Method(book.get(), u"Save"), S_OK);

    EXPECT_EQ(testing_support::RepairProblems(path), std::vector<std::string>{});
    const auto view = testing_support::ReadWithOpenpyxl(path);
    EXPECT_EQ(view.sheets, (std::vector<std::string>{"Датчик 1", "Датчик 2", "Датчик 3", "Канал 4"}));
    EXPECT_EQ(
        view.states,
        (std::map<std::string, std::string>{
            {"Датчик 1", "visible"}, {"Датчик 2", "hidden"}, {"Датчик 3", "hidden"}, {"Канал 4", "hidden"}}));
    EXPECT_EQ(view.values.at("Датчик 2!B3"), "Датчик № 2");
    EXPECT_EQ(view.active, "Датчик 1");
}

TEST_F(SpreadsheetApplication, DeletingRowsEndsCopyMode) {
    auto [book, sheet] = OpenFirstSheet();
    ASSERT_EQ(Method(sheet.get(), u"Select"), S_OK);
    Ref point = Get(sheet.get(), u"Rows", {Text(u"32:32")});
    ASSERT_EQ(Method(point.get(), u"Select"), S_OK);
    Ref selection = Get(app.get(), u"Selection");
    ASSERT_EQ(Method(selection.get(), u"Copy"), S_OK);
    for (int i = 0; i < 2; ++i) {
        Ref row = Get(sheet.get(), u"Rows", {Text(u"33:33")});
        ASSERT_EQ(Method(row.get(), u"Delete"), S_OK);
    }
    ASSERT_EQ(Method(selection.get(), u"Insert"), S_OK);  // an empty row now, not a copy
    ASSERT_EQ(Method(book.get(), u"Save"), S_OK);
    const auto view = testing_support::ReadWithOpenpyxl(path);
    EXPECT_EQ(view.ValuesOf("Канал 1", "A", 32, 34), (std::vector<std::string>{"", "точка 1", "точка 4"}));
    EXPECT_EQ(view.values.at("Канал 1!A43"), "Заключение");
}

TEST_F(SpreadsheetApplication, MadeVisibleItWritesTheWorkbookAndHandsItToTheDesktopOnce) {
    auto [book, sheet] = OpenFirstSheet();
    Ref cell = Get(sheet.get(), u"Cells", {Int(2), Int(8)});
    ASSERT_EQ(Put(cell.get(), u"Value", Text(u"Архив ЗКВ от 05.03.2024")), S_OK);
    const auto written = [this] {
        return testing_support::ReadWithOpenpyxl(path).values.count("Канал 1!H2");
    };
    EXPECT_EQ(written(), 0u);

    // No display: written, not opened.
    ASSERT_EQ(Put(app.get(), u"Visible", Bool(true)), S_OK);
    EXPECT_EQ(written(), 1u);
    EXPECT_TRUE(opened.empty());
    // A display, told by the environment as on the desktop.
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    SetSpreadsheetDesktop({{}, [this](const std::string& p) { opened.push_back(p); }});
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    ASSERT_EQ(Put(app.get(), u"Visible", Bool(true)), S_OK);
    ASSERT_EQ(Put(app.get(), u"Visible", Bool(true)), S_OK);
    unsetenv("WAYLAND_DISPLAY");
    if (display != nullptr) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(opened, std::vector<std::string>{path});
    EXPECT_EQ(Put(app.get(), u"Visible", Bool(false)), S_OK);
}

// SaveAs writes the workbook whole to another path, which becomes its own: made visible then, it
// is handed over from there and not written again unchanged. A write that cannot reach the disk,
// or would replace what is not a file, fails and leaves the file there as it was.
TEST_F(SpreadsheetApplication, SaveAsWritesTheWholeWorkbookElsewhereOrFailsLeavingTheFileThere) {
    auto [book, sheet] = OpenFirstSheet();
    Ref cell = Get(sheet.get(), u"Cells", {Int(2), Int(8)});
    ASSERT_EQ(Put(cell.get(), u"Value", Text(std::u16string(20000, u'ж'))), S_OK);
    const std::string output = folder.file("Архив.xlsx");
    const std::u16string output16 = WideFromUtf8(output);
    testing_support::WriteProtocolTemplate(output);  // an earlier export
    const std::string earlier = FileBytes(output);

    // A full disk: files of at most the earlier export's size.
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(earlier.size(), [&] {
        return Method(book.get(), u"SaveAs", {Text(output16)}) == DISP_E_EXCEPTION;
    }));
    EXPECT_EQ(FileBytes(output), earlier);
    const std::string null = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(null.empty());
    ASSERT_EQ(symlink(null.c_str(), folder.file("null.xlsx").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo.xlsx").c_str(), 0600), 0);
    for (const char* name : {"null.xlsx", "fifo.xlsx", "missing/book.xlsx"})
        EXPECT_EQ(Method(book.get(), u"SaveAs", {Text(WideFromUtf8(folder.file(name)))}), DISP_E_EXCEPTION) << name;
    struct stat info;
    ASSERT_EQ(stat(null.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    ASSERT_EQ(Method(book.get(), u"SaveAs", {Text(output16)}), S_OK);
    EXPECT_EQ(testing_support::ReadWithOpenpyxl(output).values.count("Канал 1!H2"), 1u);
    EXPECT_EQ(testing_support::ReadWithOpenpyxl(path).values.count("Канал 1!H2"), 0u) << "the template stays";
    struct stat before;
    ASSERT_EQ(stat(output.c_str(), &before), 0);
    SetSpreadsheetDesktop({[] { return true; }, [this](const std::string& p) { opened.push_back(p); }});
    ASSERT_EQ(Put(app.get(), u"Visible", Bool(true)), S_OK);
    EXPECT_EQ(opened, std::vector<std::string>{output});
    struct stat after;
    ASSERT_EQ(stat(output.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "unchanged, not written again";
}

TEST_F(SpreadsheetApplication, AnyMemberCanBeMadeToFailWithoutEffect) {
    auto [book, sheet] = OpenFirstSheet();
    ASSERT_EQ(Method(sheet.get(), u"Select"), S_OK);
    Ref rows = Get(sheet.get(), u"Rows", {Text(u"32:32")});
    Ref cell = Get(sheet.get(), u"Cells", {Int(1), Int(1)});

    FailSpreadsheetMember("rows.Select");
    EXPECT_EQ(Method(rows.get(), u"Select"), DISP_E_EXCEPTION);
    EXPECT_EQ(Method(cell.get(), u"Select"), S_OK);  // another receiver's Select still works
    FailSpreadsheetMember("rows.Select", S_OK);
    EXPECT_EQ(Method(rows.get(), u"Select"), S_OK);

    FailSpreadsheetMember("value", E_OUTOFMEMORY);  // names are not case-sensitive
    EXPECT_EQ(Put(cell.get(), u"Value", Text(u"не записано")), E_OUTOFMEMORY);
    FailSpreadsheetMember("Insert");
    Ref selection = Get(app.get(), u"Selection");
    ASSERT_EQ(Method(selection.get(), u"Copy"), S_OK);
    EXPECT_EQ(Method(selection.get(), u"Insert"), DISP_E_EXCEPTION);
    FailSpreadsheetMember("Workbooks", DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYGET, u"Workbooks").code, DISP_E_MEMBERNOTFOUND);
    FailSpreadsheetMember("Quit");
    EXPECT_EQ(Method(app.get(), u"Quit"), DISP_E_EXCEPTION);
    EXPECT_EQ(Method(book.get(), u"Save"), S_OK);  // the application is still there

    const auto view = testing_support::ReadWithOpenpyxl(path);
    EXPECT_EQ(view.values.at("Канал 1!A1"), "Протокол");
    EXPECT_EQ(view.values.at("Канал 1!A33"), "точка 2");
    ClearSpreadsheetFailures();
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYGET, u"Workbooks").code, S_OK);
}

TEST_F(SpreadsheetApplication, AfterQuitNothingAnswersAndNothingIsWritten) {
    auto [book, sheet] = OpenFirstSheet();
    Ref cell = Get(sheet.get(), u"Cells", {Int(1), Int(1)});
    ASSERT_EQ(Put(cell.get(), u"Value", Text(u"не сохранено")), S_OK);
    ASSERT_EQ(Method(app.get(), u"Quit"), S_OK);
    EXPECT_EQ(Put(cell.get(), u"Value", Text(u"x")), RPC_E_DISCONNECTED);
    EXPECT_EQ(Method(book.get(), u"Save"), RPC_E_DISCONNECTED);
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYGET, u"Workbooks").code, RPC_E_DISCONNECTED);
    EXPECT_EQ(testing_support::ReadWithOpenpyxl(path).values.at("Канал 1!A1"), "Протокол");
}

TEST_F(SpreadsheetApplication, OpeningWhatIsNoWorkbookFailsAndHandsNothingBack) {
    Ref books = Get(app.get(), u"Workbooks");
    for (const std::u16string& bad :
         {std::u16string(u"/nonexistent/Протокол.xlsx"), WideFromUtf8(folder.path())}) {
        Outcome outcome = Call(books.get(), DISPATCH_METHOD, u"Open", {Text(bad)});
        EXPECT_EQ(outcome.code, DISP_E_EXCEPTION);
        EXPECT_FALSE(outcome.object);
    }
    // With no workbook open there is nothing selected either.
    EXPECT_EQ(Call(app.get(), DISPATCH_PROPERTYGET, u"Selection").code, DISP_E_EXCEPTION);
}

}  // namespace
