#include "app/model/reference_models.h"

#include <QStringList>

#include "app/model/record_fields.h"
#include "platform/class_library/cp1251.h"

// The code's second digit tells the unit the transducer reads in: below 6 kPa, from 6 on MPa.
const ReferenceModel kReferenceModels[kReferenceModelCount] = {
    {"010", "0...10 кПа"},  {"025", "0...25 кПа"},  {"040", "0...40 кПа"},     {"110", "0...100 кПа"},
    {"125", "0...250 кПа"}, {"140", "0...400 кПа"}, {"210", "-100...100 кПа"}, {"250", "-100...250 кПа"},
    {"060", "0...0.6 МПа"}, {"070", "0...1 МПа"},   {"080", "0...2.5 МПа"},    {"090", "0...6 МПа"},
    {"170", "0...16 МПа"},
};

QStringList ReferenceModelCodes() {
    QStringList codes;
    for (const ReferenceModel& model : kReferenceModels) codes << QString::fromUtf8(model.code);
    codes << QString::fromUtf8("040");
    return codes;
}

int FindReferenceRange(char (&slot)[platform::kSlotSize], std::string_view model) {
    for (const ReferenceModel& row : kReferenceModels) {
        if (std::string_view(row.code).find(model) == std::string_view::npos) continue;
        WriteSlotBytes(slot, sizeof slot, platform::ToCp1251(QString::fromUtf8(row.range)));
        return 0;
    }
    return -1;
}
