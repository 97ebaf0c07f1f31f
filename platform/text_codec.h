// The engine keeps 8-bit text (UTF-8 bytes pass through); widgets take QString.
#pragma once

#include <QString>
#include <string>

namespace kestle {

inline QString qt(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string bytes(const QString &s) { return s.toUtf8().toStdString(); }

// Text boxes hold LF line ends, the engine's texts CR LF: the text of a box for the engine,
// and an engine text for a box (CR LF and a lone CR each one line break).
std::string crlf_text(const QString &box);
QString box_text(const std::string &text);

} // namespace kestle
