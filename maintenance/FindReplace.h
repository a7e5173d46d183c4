#pragma once

#include <QString>

#include <optional>

namespace corvane {

// Replaces the first occurrence of `find` in `value`, matching without regard to letter case
// (Unicode simple case folding, code point by code point). The parts of `value` before and
// after the occurrence are kept exactly; `replacement` is inserted as typed. nullopt when
// `find` is empty or does not occur.
std::optional<QString> replaceFirstIgnoringCase(const QString& value, const QString& find,
                                                const QString& replacement);

// The find-and-replace dialog's status lines.
QString notFoundLine(const QString& name, const QString& find);
QString replacedLine(const QString& name, const QString& oldValue, const QString& newValue);

} // namespace corvane
