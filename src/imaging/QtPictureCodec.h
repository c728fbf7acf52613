#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Qt's image readers and writers behind the image services. Every call makes
// its own QImageReader / QImageWriter, so any thread may call at any time.

// The first image (all == false) or every image of `path`, read with the
// reader of `format` only. Raises EZavelonError naming the file on failure.
QList<QImage> QtReadImages(const QString &path, const QByteArray &format, bool all);

// Number of images of `path` (1 for a format without several images).
int QtImageCount(const QString &path, const QByteArray &format);

// True when Qt's reader of `format` takes the file (its header looks right).
bool QtCanRead(const QString &path, const QByteArray &format);

// True when Qt can write `format`.
bool QtCanWrite(const QByteArray &format);

// The encoded bytes of `picture` in `format`.
QByteArray QtEncode(const QString &path, const QImage &picture, const QByteArray &format);
