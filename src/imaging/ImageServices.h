#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The image services: everything the program asks of pictures, in one place.
// The codec is chosen by the file's extension ignoring case
// (imaging/PictureFormat.h): Qt's readers for JPEG, PNG, BMP, ICO, TIFF and
// TGA, the GIF decoder for GIF, ImageMagick for PCX, PCC, DCX, VST and WMF.
// Any other extension (EMF, AFI, ...) fails with an error naming the file.
//
// Every function is safe on any thread, several at once: the image library
// measures pictures on its adding threads. Failures raise EZavelonError with
// a message that names the file. A picture whose decoded size would exceed
// 512 MiB (imaging/DecodeLimit.h) fails before its pixels are allocated.

// The first image of the file.
QImage LoadFirstImage(const QString &path);

// Every image of the file (the pages of a TIFF or DCX, the frames of a GIF);
// at least one.
QList<QImage> LoadAllImages(const QString &path);

// The loader by image index, as the views call it: 1 loads the first image,
// 0 loads all images (the first of which is shown).
QList<QImage> LoadImages(const QString &path, int imageIndex);

// Number of images in the file; 1 for a format without several images.
int ImageCount(const QString &path);

// Writes `picture` to `path` in the format of the path's extension, through
// a temporary file beside it that is renamed into place, so a failed save
// never leaves a half-written file. Raises when the format cannot be written
// (WMF, EMF, AFI, unknown).
void SavePicture(const QImage &picture, const QString &path);

// An independent copy: changing one never changes the other.
QImage CopyPicture(const QImage &picture);

// `source` turned a quarter turn: -90 anticlockwise, +90 clockwise (width
// and height swap). Any other angle raises.
QImage RotatePicture(const QImage &source, int angle);
// The same into `destination`, as the viewer uses it (source and destination
// may be the same object).
void RotatePicture(const QImage &source, QImage &destination, int angle);
