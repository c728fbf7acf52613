#include "images/ui/UrlOpener.h"

#include <QDesktopServices>

namespace {

TUrlOpener &CurrentOpener()
{
    static TUrlOpener opener;
    return opener;
}

} // namespace

bool OpenUrl(const QUrl &url)
{
    const TUrlOpener &opener = CurrentOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

TUrlOpener SetUrlOpener(TUrlOpener opener)
{
    TUrlOpener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}
