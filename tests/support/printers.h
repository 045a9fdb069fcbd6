#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Failed comparisons of Qt texts show their bytes.
QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QByteArray& bytes, std::ostream* os);
QT_END_NAMESPACE

namespace testing_support {
// Bytes with every non-printable one as \xNN, for frame comparisons.
std::string Visible(const std::string& bytes);
}  // namespace testing_support
