#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Registers the pictures, glyphs and help pages compiled into this library
// (AppResources.qrc). A static library's resources are only linked in when
// something refers to them, so every window that shows them calls this first.
void InitAppResources();

// A picture of the resources (path ":/...") drawn at `size` in
// device-independent pixels, rendered for the screen's scale: an SVG drawn at
// its own size and then stretched would be blurred at 200 %.
QPixmap ResourcePixmap(const QString &path, const QSize &size);
