#pragma once

#include <QUrl>

#include <functional>

// Hands a folder or address to the desktop ("open" it in the file manager or
// browser) through one replaceable function, so tests record the request
// instead of starting programs. The one in place at start is
// QDesktopServices::openUrl.
using TUrlOpener = std::function<bool(const QUrl &url)>;

bool OpenUrl(const QUrl &url);
// Installs `opener` (an empty one restores the desktop's) and returns the
// previous one.
TUrlOpener SetUrlOpener(TUrlOpener opener);
