#pragma once

#include <QString>

// Names and addresses the program shows or sends; one place for each.
namespace AppInfo {

inline constexpr const char *kVersion = ZAVELON_VERSION;
inline const QString kTitle = QStringLiteral("Zavelon " ZAVELON_VERSION);
inline const QString kUserAgent = QStringLiteral("Zavelon/" ZAVELON_VERSION);
inline const QString kWebAddress = QStringLiteral("https://zavelon.org/");

} // namespace AppInfo
