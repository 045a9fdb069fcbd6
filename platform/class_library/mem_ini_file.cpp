#include "platform/class_library/mem_ini_file.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <optional>

#include "platform/class_library/cp1251.h"
#include "platform/system/clock.h"
#include "platform/system/file_io.h"

namespace platform {
namespace {

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

// A run of minCount to maxCount decimal digits and nothing else.
std::optional<int> Digits(const QString& text, qsizetype minCount, qsizetype maxCount) {
    if (text.size() < minCount || text.size() > maxCount) return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

QString TwoDigits(int value) { return QString::number(value).rightJustified(2, u'0'); }

// Larger than any settings or project file; a bigger file was chosen by mistake.
constexpr std::size_t kLargestIniFile = 16 * 1024 * 1024;

bool BreaksLine(QChar c) { return c == u'\r' || c == u'\n' || c == u'\0'; }

// A section or key name that reads back as it was written.
bool ReadsBack(const QString& name) {
    return !name.isEmpty() && TrimBlanks(name) == name && std::none_of(name.begin(), name.end(), BreaksLine);
}

QString OnOneLine(QString value) {
    for (QChar& c : value) {
        if (BreaksLine(c)) c = u' ';
    }
    return value;
}

}  // namespace

TMemIniFile::TMemIniFile(const QString& fileName) : fileName_(fileName) {
    // Only a regular file is read, so a FIFO or a device in its place cannot hang or flood the
    // start; a dangling link is as good as no file: there is nothing to read yet.
    FileRead read = ReadRegularFile(QFile::encodeName(fileName).toStdString(), kLargestIniFile);
    switch (read.outcome) {
        case FileRead::Outcome::Read: break;
        case FileRead::Outcome::Missing: return;
        case FileRead::Outcome::TooLarge: problem_ = Problem::NotAnIni; return;
        case FileRead::Outcome::NotRegular:
        case FileRead::Outcome::Unreadable: problem_ = Problem::Unreadable; return;
    }
    // A stray zero byte spoils no more than its own line: it reads as a blank, as one written in a
    // value would have been.
    std::replace(read.bytes.begin(), read.bytes.end(), '\0', ' ');
    Parse(FromCp1251(read.bytes));
}

void TMemIniFile::Parse(const QString& text) {
    Section* current = nullptr;
    bool strayText = false;
    // A lone CR ends a line as CR LF and LF do: a value never holds one, as it is written.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString& line : lines.split(u'\n')) {
        const QString trimmed = TrimBlanks(line);
        if (trimmed.isEmpty()) continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
            current = &sectionForWrite(TrimBlanks(trimmed.mid(1, trimmed.size() - 2)));
            continue;
        }
        // Lines before the first section belong to no section and are not kept.
        if (!current) {
            if (!trimmed.startsWith(u';')) strayText = true;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QString key = equals < 0 ? QString() : TrimBlanks(line.left(equals));
        // Comments and other lines without a key ride along untouched.
        if (key.isEmpty() || trimmed.startsWith(u';')) {
            current->entries.push_back({QString(), line});
        } else {
            current->entries.push_back({key, line.mid(equals + 1)});
        }
    }
    // Text without a single section is some other kind of file.
    if (strayText && sections_.empty()) problem_ = Problem::NotAnIni;
}

const TMemIniFile::Section* TMemIniFile::findSection(const QString& name) const {
    for (const Section& section : sections_) {
        if (SameName(section.name, name)) return &section;
    }
    return nullptr;
}

TMemIniFile::Section& TMemIniFile::sectionForWrite(const QString& name) {
    for (Section& section : sections_) {
        if (SameName(section.name, name)) return section;
    }
    sections_.push_back({name, {}});
    return sections_.back();
}

const TMemIniFile::Entry* TMemIniFile::findEntry(const QString& section, const QString& key) const {
    const Section* found = findSection(section);
    if (!found || key.isEmpty()) return nullptr;
    for (const Entry& entry : found->entries) {
        if (!entry.key.isEmpty() && SameName(entry.key, key)) return &entry;
    }
    return nullptr;
}

QString TMemIniFile::ReadString(const QString& section, const QString& key,
                                const QString& defaultValue) const {
    const Entry* entry = findEntry(section, key);
    return entry ? entry->value : defaultValue;
}

void TMemIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    // Such a name could never be found again; its line would only spoil the file.
    if (!ReadsBack(section) || !ReadsBack(key) || key.contains(u'=') || key.startsWith(u';') ||
        key.startsWith(u'[')) {
        return;
    }
    Section& target = sectionForWrite(section);
    for (Entry& entry : target.entries) {
        if (!entry.key.isEmpty() && SameName(entry.key, key)) {
            entry.value = OnOneLine(value);
            return;
        }
    }
    target.entries.push_back({key, OnOneLine(value)});
}

void TMemIniFile::DeleteKey(const QString& section, const QString& key) {
    for (Section& found : sections_) {
        if (!SameName(found.name, section)) continue;
        std::erase_if(found.entries,
                      [&](const Entry& entry) { return !entry.key.isEmpty() && SameName(entry.key, key); });
    }
}

int TMemIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const Entry* entry = findEntry(section, key);
    if (!entry) return defaultValue;
    const QString text = TrimBlanks(entry->value);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i == text.size()) return defaultValue;
    // Accumulated negatively so that the most negative int is read too.
    long long value = 0;
    constexpr long long kLimit = -static_cast<long long>(std::numeric_limits<int>::max()) - 1;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9') return defaultValue;
        value = value * 10 - (c.unicode() - u'0');
        if (value < kLimit) return defaultValue;
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<int>::max()) return defaultValue;
    }
    return static_cast<int>(value);
}

void TMemIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

QDate TMemIniFile::ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const {
    const Entry* entry = findEntry(section, key);
    if (!entry) return defaultValue;
    const QStringList parts = TrimBlanks(entry->value).split(u'.');
    if (parts.size() != 3) return defaultValue;
    const auto day = Digits(parts[0], 1, 2);
    const auto month = Digits(parts[1], 1, 2);
    auto year = parts[2].size() == 2 ? Digits(parts[2], 2, 2) : Digits(parts[2], 4, 4);
    if (!day || !month || !year) return defaultValue;
    if (parts[2].size() == 2) *year += 2000;
    const QDate date(*year, *month, *day);
    return date.isValid() ? date : defaultValue;
}

void TMemIniFile::WriteDate(const QString& section, const QString& key, const QDate& value) {
    // Built by hand: QDate's own formatting follows the locale's digits and calendar.
    const QString text = value.isValid() ? TwoDigits(value.day()) + u'.' + TwoDigits(value.month()) + u'.' +
                                               QString::number(value.year()).rightJustified(4, u'0')
                                         : QString();
    WriteString(section, key, text);
}

QTime TMemIniFile::ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const {
    const Entry* entry = findEntry(section, key);
    if (!entry) return defaultValue;
    const QStringList parts = TrimBlanks(entry->value).split(u':');
    if (parts.size() != 2 && parts.size() != 3) return defaultValue;
    const auto hours = Digits(parts[0], 1, 2);
    const auto minutes = Digits(parts[1], 1, 2);
    const auto seconds = parts.size() == 3 ? Digits(parts[2], 1, 2) : std::optional<int>(0);
    if (!hours || !minutes || !seconds) return defaultValue;
    const QTime time(*hours, *minutes, *seconds);
    return time.isValid() ? time : defaultValue;
}

void TMemIniFile::WriteTime(const QString& section, const QString& key, const QTime& value) {
    const QString text = value.isValid() ? QString::number(value.hour()) + u':' + TwoDigits(value.minute()) +
                                               u':' + TwoDigits(value.second())
                                         : QString();
    WriteString(section, key, text);
}

bool TMemIniFile::ValueExists(const QString& section, const QString& key) const {
    return findEntry(section, key) != nullptr;
}

bool TMemIniFile::SectionExists(const QString& section) const { return findSection(section) != nullptr; }

QStringList TMemIniFile::ReadSections() const {
    QStringList names;
    for (const Section& section : sections_) names << section.name;
    return names;
}

QStringList TMemIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    const Section* found = findSection(section);
    if (!found) return keys;
    for (const Entry& entry : found->entries) {
        if (!entry.key.isEmpty() && !keys.contains(entry.key, Qt::CaseInsensitive)) keys << entry.key;
    }
    return keys;
}

bool TMemIniFile::UpdateFile() {
    QString text;
    for (const Section& section : sections_) {
        text += u'[' + section.name + QStringLiteral("]\r\n");
        for (const Entry& entry : section.entries) {
            text +=
                (entry.key.isEmpty() ? entry.value : entry.key + u'=' + entry.value) + QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    const std::string bytes = ToCp1251(text);
    // What could not be read is never written over: it would be lost without a trace.
    if (problem_ == Problem::Unreadable) return false;
    // Never straight over the old file: every byte goes to a new one beside it, is checked and
    // synced, and only then does the new file take the old one's place.
    const FileWrite written = ReplaceFile(QFile::encodeName(fileName_).toStdString(), bytes);
    if (!written) DebugLine("TMemIniFile::UpdateFile: " + written.why);
    return written.ok;
}

}  // namespace platform
