#include "link/instrument_errors.h"

namespace {

constexpr const char* kErrorTexts[kInstrumentErrorCount] = {
    "Нет ошибок",
    "Неизвестная команда",
    "Неизвестный тип памяти",
    "Неизвестный тип данных",
    "Неверный формат посылки",
    "Адрес больше допустимого",
    "Неверная контрольная сумма",
    "Запрашиваемые данные не готовы",
    "Запись запрещена",
    "Ошибка записи",
    "Ошибка чтения",
    "Команда не поддерживается",
    "Обрыв датчика",
    "Неизвестный код ошибки",
};

}  // namespace

const char* InstrumentErrorText(int code) {
    if (code < 0 || code >= kInstrumentErrorCount) code = kInstrumentErrorCount - 1;
    return kErrorTexts[code];
}
