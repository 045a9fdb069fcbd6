#include "sheet/auto_wrap.h"

#include <cstdarg>
#include <string>
#include <vector>

#include "platform/text/wide_text.h"
#include "sheet/diagnostics.h"

namespace sheet {

using namespace platform;

namespace {

constexpr std::size_t kMaxNameInMessages = 199;

std::string NameForMessages(const OLECHAR* name) {
    std::u16string_view wide = name ? std::u16string_view(name) : std::u16string_view();
    if (wide.size() > kMaxNameInMessages) wide = wide.substr(0, kMaxNameInMessages);
    return Utf8FromWide(wide);
}

// Arguments in the order given, so that element 0 is the member's last parameter.
std::vector<VARIANT> TakeArguments(int count, va_list arguments) {
    std::vector<VARIANT> taken(static_cast<std::size_t>(count > 0 ? count : 0) + 1);
    for (int i = 0; i < count; ++i) taken[static_cast<std::size_t>(i)] = va_arg(arguments, VARIANT);
    return taken;
}

}  // namespace

HRESULT AutoWrap(int kind, VARIANT* result, VARIANT* object, const OLECHAR* name, int count, ...) {
    if (!object) {
        DebugOut("AutoWrap():  Неверный объект!");
        return E_UNEXPECTED;
    }
    if (object->vt != VT_DISPATCH || !object->pdispVal) {
        DebugOut("AutoWrap(): IDispatch== 0");
        return E_UNEXPECTED;
    }
    const std::string printable = NameForMessages(name);

    // An object whose server has died may throw from the look-up: that ends the call, not the
    // caller.
    DISPID member = DISPID_UNKNOWN;
    HRESULT code = S_OK;
    try {
        const OLECHAR* names[] = {name};
        code = object->pdispVal->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    } catch (...) {
        DebugOut("AutoWrap(): GetIDsOfNames() generate EXCEPTION !\n\t " + printable + "()");
        return -1;
    }
    if (Failed(code)) {
        DebugOut("AutoWrap():  Не найдена функция " + printable + "()");
        return code;
    }

    va_list list;
    va_start(list, count);
    std::vector<VARIANT> arguments = TakeArguments(count, list);
    va_end(list);

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<std::uint32_t>(count > 0 ? count : 0), 0};
    if (kind & DISPATCH_PROPERTYPUT) {
        parameters.cNamedArgs = 1;
        parameters.rgdispidNamedArgs = &putId;
    }
    try {
        code = object->pdispVal->Invoke(member, IID_NULL, LOCALE_SYSTEM_DEFAULT, static_cast<WORD>(kind),
                                        &parameters, result, nullptr);
    } catch (...) {
        code = DISP_E_EXCEPTION;
    }
    if (Failed(code)) {
        DebugOut("AutoWrap(): Ошибка вызова функции  " + printable + "()  [" + DispErrorText(code) + "]");
    }
    return code;
}

const char* DispErrorText(HRESULT code) {
    switch (code) {
        case DISP_E_UNKNOWNINTERFACE:
            return "UNKNOWNINTERFACE  The interface ID passed in riid is not IID_NULL.";
        case DISP_E_MEMBERNOTFOUND:
            return "Запрошенный член не существует.";
        case DISP_E_PARAMNOTFOUND:
            return "Один из DISPID параметров не соответствует ни одному из параметров метода. В данном "
                   "случае "
                   "puArgErr устанавливается на первый аргумент, вызвавший ошибку.";
        case DISP_E_TYPEMISMATCH:
            return "Приведение типа для одного или нескольких аргументов невозможно. Индекс первого "
                   "параметра в "
                   "массиве rgvarg, имеющего неверный тип, возвращается в puArgErr.";
        case DISP_E_NONAMEDARGS:
            return "Данная реализация IDispatch не поддерживает именованные аргументы.";
        case DISP_E_BADVARTYPE:
            return "Один из аргументов в DISPPARAMS имеет неверный тип варианта.";
        case DISP_E_EXCEPTION:
            return "Приложению необходимо возбудить исключение. В данном случае структура pexcepinfo должна "
                   "быть заполнена.";
        case DISP_E_OVERFLOW:
            return "Один из аргументов в DISPPARAMS невозможно привести к заданному типу.";
        case DISP_E_UNKNOWNLCID:
            return "UNKNOWNLCID   The member being invoked interprets string arguments according to the "
                   "locale "
                   "ID (LCID), and the LCID is not recognized. If the LCID is not needed to interpret "
                   "arguments, "
                   "this error should not be returned.";
        case DISP_E_BADPARAMCOUNT:
            return "Число аргументов в DISPPARAMS отличается от фактического числа аргументов метода или "
                   "свойства.";
        case DISP_E_PARAMNOTOPTIONAL:
            return "Не задан обязательный параметр.";
        case E_OUTOFMEMORY:
            return "Не хватает памяти для выполнения операции.";
        case E_INVALIDARG:
            return "Один из параметров неверен.";
        default:
            return "Undef error.";
    }
}

}  // namespace sheet
