#include "sheet/auto_wrap.h"

#include <gtest/gtest.h>

#include "tests/sheet/automation_fixture.h"

namespace {

using namespace platform;
using sheet::AutoWrap;
using sheet::DispErrorText;
using testing_support::Lines;

class AutoWrapTest : public testing_support::AutomationTest {};

VARIANT Int(std::int32_t value) {
    VARIANT v;
    v.vt = VT_INT;
    v.intVal = value;
    return v;
}

TEST_F(AutoWrapTest, ArgumentsGoLastParameterFirstAndAPutNamesItsValue) {
    VARIANT* sheet = Object("Sheet");
    VARIANT* cell = Empty();
    // Cells(row 32, column 2) is given the column first.
    EXPECT_EQ(AutoWrap(DISPATCH_PROPERTYGET, cell, sheet, u"Cells", 2, Int(2), Int(32)), S_OK);
    ASSERT_EQ(cell->vt, VT_DISPATCH);

    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"Годен");
    EXPECT_EQ(AutoWrap(DISPATCH_PROPERTYPUT, nullptr, cell, u"Value", 1, text), S_OK);
    // The argument stays the caller's: it is still whole after the call.
    EXPECT_EQ(BstrView(text.bstrVal), u"Годен");
    VariantClear(&text);

    EXPECT_EQ(AutoWrap(DISPATCH_METHOD, nullptr, sheet, u"Select", 0), S_OK);
    EXPECT_EQ(world.Lines(), (Lines{"Sheet get Cells(int:32, int:2)",
                                    "Cells(int:32,int:2) put Value(\"Годен\")", "Sheet method Select()"}));
    for (const auto& call : world.calls()) {
        EXPECT_EQ(call.lookupLocale, LOCALE_USER_DEFAULT);
        EXPECT_EQ(call.invokeLocale, LOCALE_SYSTEM_DEFAULT);
    }
    EXPECT_TRUE(debug.lines.empty());
}

TEST_F(AutoWrapTest, EveryFailureLeavesItsOneDebugLine) {
    VARIANT* sheet = Object("Sheet");
    VARIANT nothing;
    VariantInit(&nothing);
    VARIANT nullObject;
    nullObject.vt = VT_DISPATCH;
    nullObject.pdispVal = nullptr;
    world.Unknown("Frobnicate");
    world.ThrowOnLookup("Quit");
    world.Fail("Name", DISP_E_UNKNOWNLCID);
    world.Fail("Select", E_FAIL);

    const struct {
        VARIANT* object;
        const OLECHAR* member;
        WORD kind;
        HRESULT expected;
        std::string line;
    } cases[] = {
        {nullptr, u"Select", DISPATCH_METHOD, E_UNEXPECTED, "AutoWrap():  Неверный объект!"},
        {&nothing, u"Select", DISPATCH_METHOD, E_UNEXPECTED, "AutoWrap(): IDispatch== 0"},
        {&nullObject, u"Select", DISPATCH_METHOD, E_UNEXPECTED, "AutoWrap(): IDispatch== 0"},
        {sheet, u"Frobnicate", DISPATCH_METHOD, DISP_E_UNKNOWNNAME,
         "AutoWrap():  Не найдена функция Frobnicate()"},
        {sheet, u"Quit", DISPATCH_METHOD, -1, "AutoWrap(): GetIDsOfNames() generate EXCEPTION !\n\t Quit()"},
        {sheet, u"Select", DISPATCH_METHOD, E_FAIL,
         "AutoWrap(): Ошибка вызова функции  Select()  [Undef error.]"},
        // The line is formed whole, however long the error text.
        {sheet, u"Name", DISPATCH_METHOD, DISP_E_UNKNOWNLCID,
         std::string("AutoWrap(): Ошибка вызова функции  Name()  [") + DispErrorText(DISP_E_UNKNOWNLCID) +
             "]"},
    };
    for (const auto& c : cases) {
        debug.lines.clear();
        EXPECT_EQ(AutoWrap(c.kind, nullptr, c.object, c.member, 0), c.expected) << c.line;
        EXPECT_EQ(debug.lines, Lines{c.line});
    }
}

TEST_F(AutoWrapTest, LongMemberNamesAreCutInTheMessages) {
    VARIANT* sheet = Object("Sheet");
    const std::u16string longName(250, u'W');
    world.Unknown(std::string(250, 'W'));
    EXPECT_EQ(AutoWrap(DISPATCH_METHOD, nullptr, sheet, longName.c_str(), 0), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(debug.lines, Lines{"AutoWrap():  Не найдена функция " + std::string(199, 'W') + "()"});
}

TEST(DispErrorText, EachKnownCodeHasItsTextAndEveryOtherIsUndefined) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0x80020001, "UNKNOWNINTERFACE  The interface ID passed in riid is not IID_NULL."},
        {0x80020003, "Запрошенный член не существует."},
        {0x80020004,
         "Один из DISPID параметров не соответствует ни одному из параметров метода. В данном случае "
         "puArgErr устанавливается на первый аргумент, вызвавший ошибку."},
        {0x80020005,
         "Приведение типа для одного или нескольких аргументов невозможно. Индекс первого параметра в "
         "массиве rgvarg, имеющего неверный тип, возвращается в puArgErr."},
        {0x80020007, "Данная реализация IDispatch не поддерживает именованные аргументы."},
        {0x80020008, "Один из аргументов в DISPPARAMS имеет неверный тип варианта."},
        {0x80020009,
         "Приложению необходимо возбудить исключение. В данном случае структура pexcepinfo должна быть "
         "заполнена."},
        {0x8002000A, "Один из аргументов в DISPPARAMS невозможно привести к заданному типу."},
        {0x8002000C,
         "UNKNOWNLCID   The member being invoked interprets string arguments according to the locale ID "
         "(LCID), and the LCID is not recognized. If the LCID is not needed to interpret arguments, this "
         "error should not be returned."},
        {0x8002000E,
         "Число аргументов в DISPPARAMS отличается от фактического числа аргументов метода или свойства."},
        {0x8002000F, "Не задан обязательный параметр."},
        {0x8007000E, "Не хватает памяти для выполнения операции."},
        {0x80070057, "Один из параметров неверен."},
        {0x80020002, "Undef error."},
        {0x80020006, "Undef error."},
        {0x8002000B, "Undef error."},
        {0x8002000D, "Undef error."},
        {0x80004005, "Undef error."},
        {0x00000000, "Undef error."},
    };
    for (const auto& c : cases) EXPECT_STREQ(DispErrorText(HresultOf(c.code)), c.text) << std::hex << c.code;
}

}  // namespace
