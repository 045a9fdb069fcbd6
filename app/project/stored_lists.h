#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class TMemIniFile;
}

namespace project {

// Texts from a file are untrusted: one longer than any control shows is cut to this length.
inline constexpr int kLongestStoredText = 255;
// And a list read from a file ends after this many items.
inline constexpr int kLongestStoredList = 1000;

QString BoundedText(const QString& text);

// Items 0, 1, 2, ... under the numbered keys of name, until the first missing key.
QStringList ReadNumberedList(const platform::TMemIniFile& ini, const QString& section, const QString& name);
// Writes the items under the numbered keys of name and deletes the numbered keys from the item
// count upwards, so that no item of a longer list saved before comes back.
void WriteNumberedList(platform::TMemIniFile& ini, const QString& section, const QString& name,
                       const QStringList& items);

}  // namespace project
