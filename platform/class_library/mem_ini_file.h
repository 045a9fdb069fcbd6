#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <vector>

namespace platform {

// An ini file held in memory, as the class library's TMemIniFile: read whole when made, changed in
// memory, written whole by UpdateFile. Sections and keys match without regard to letter case and
// keep their order and first spelling; values are the rest of the line as written. On disk the
// file is code page 1251 with CRLF line ends; LF alone is read as well.
class TMemIniFile {
public:
    // A missing file gives an empty ini. A file that cannot be read (anything but a regular file:
    // a FIFO, a device, a folder; or one the system will not read), or that is no ini file (it is
    // larger than any ini file, or has text but no section), gives an empty ini that is not
    // IsValid(); only the first is not IsReadable(). A zero byte reads as a blank.
    explicit TMemIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }
    bool IsValid() const { return problem_ == Problem::None; }
    bool IsReadable() const { return problem_ != Problem::Unreadable; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A value never breaks its line: line breaks and zero characters in it are written as blanks.
    // A section or key that could not be read back as written (empty, blanks around it, a line
    // break or zero character, '=' in a key) is not written at all.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Lenient: a value that is not a decimal integer (blanks around it allowed) gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    // Dates as "dd.MM.yyyy" and times as "H:mm:ss", the texts of a Russian Windows locale. Read
    // leniently: one or two digits for day, month, minutes and seconds, two or four for the year
    // (two mean this century), seconds may be left out; any other text gives the default.
    QDate ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const;
    void WriteDate(const QString& section, const QString& key, const QDate& value);
    QTime ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const;
    void WriteTime(const QString& section, const QString& key, const QTime& value);

    bool ValueExists(const QString& section, const QString& key) const;
    void DeleteKey(const QString& section, const QString& key);
    bool SectionExists(const QString& section) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const;  // its keys, in order

    // Writes the whole file into a new file in the same folder, syncs it to disk and puts it in
    // the old one's place, so a failed write leaves the old file whole; a link is followed. False
    // when that failed, when a file that is not a regular file stands at the target, and for a
    // file that could not be read: that one is never written over.
    [[nodiscard]] bool UpdateFile();

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

    void Parse(const QString& text);

    QString fileName_;
    enum class Problem { None, Unreadable, NotAnIni };
    Problem problem_ = Problem::None;
    std::vector<Section> sections_;
};

}  // namespace platform
