#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <stdexcept>
#include <vector>

namespace platform {

class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An ini file held in memory, as the class library's TMemIniFile: read whole when made, changed in
// memory, written whole by UpdateFile. Sections and keys match without regard to letter case and
// keep their order and first spelling; values are the rest of the line as written. On disk the
// file is code page 1251 with CRLF line ends; LF alone is read as well.
class TMemIniFile {
public:
    // A missing file gives an empty ini; one that exists but cannot be read throws IniFileError.
    explicit TMemIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Lenient: a value that is not a decimal integer (blanks around it allowed) gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    // Dates as "dd.MM.yyyy" and times as "H:mm:ss", the texts of a Russian Windows locale; a text
    // that is no date or time gives the default.
    QDate ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const;
    void WriteDate(const QString& section, const QString& key, const QDate& value);
    QTime ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const;
    void WriteTime(const QString& section, const QString& key, const QTime& value);

    bool ValueExists(const QString& section, const QString& key) const;
    bool SectionExists(const QString& section) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const;  // its keys, in order

    // Writes the whole file; throws IniFileError when it cannot be written.
    void UpdateFile();

private:
    struct Entry {
        QString key;  // empty for a line without '=' (kept as written)
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Section* findSection(const QString& name) const;
    Section& sectionForWrite(const QString& name);
    const Entry* findEntry(const QString& section, const QString& key) const;

    QString fileName_;
    std::vector<Section> sections_;
};

}  // namespace platform
