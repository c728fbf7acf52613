#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// ImageMagick behind the image services, for the formats Qt does not read
// (PCX, DCX, WMF, and TGA under the name VST). The coder is always named
// explicitly (`format`, e.g. "PCX"), never guessed from the name or content.
// Safe on any thread: ImageMagick is initialised once for the process and
// every call works on its own objects.

// The first image (all == false) or every image of `path`. Declared sizes are
// read first (a "ping") and held to the decoding limit before any pixel is
// decoded. Raises EZavelonError naming the file on failure.
QList<QImage> MagickReadImages(const QString &path, const QByteArray &format, bool all);

// Number of images of `path`.
int MagickImageCount(const QString &path, const QByteArray &format);

// The encoded bytes of `picture` in `format` (raises when ImageMagick cannot
// write that format, e.g. WMF).
QByteArray MagickEncode(const QString &path, const QImage &picture, const QByteArray &format);

// Initialises ImageMagick once; every entry point above calls it.
void EnsureMagickInitialized();
