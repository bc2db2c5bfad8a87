// Names are byte strings; Latin-1 lets every byte through a QString and back unchanged. (Qt code only; the
// cores convert with common/latin1_utf8.h.)
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvane::text {

inline QString FromLatin1(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string ToLatin1(const QString& s) {
  return s.toLatin1().toStdString();
}

}  // namespace orvane::text
