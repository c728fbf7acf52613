#pragma once

#include "images/ImageDetail.h"

#include <QString>

#include <memory>

class TImageLibrary;

// Records one picture file in `library` unless its path is already there.
// The record gets the current local date-time, the file's length rounded
// down to a multiple of 128 bytes, and the picture's width and height (a
// ".gif" through the GIF decoder, anything else through the general loader;
// -1 x -1 when it cannot be decoded, the record is still added).
//
// Raises EZavelonError naming the path, and adds nothing, when the path is
// longer than the record's name field holds (255 UTF-8 bytes) or the file
// cannot be opened for measuring. Like the program always did, the file is
// opened for reading and writing (nothing is written), so a read-only file is
// refused. Safe on any thread; the presence test and the insertion are one
// step under the library's lock.
void AddImageFile(TImageLibrary &library, const QString &path);

// The two halves of AddImageFile, for callers that must not touch the
// library while measuring (the adding threads): the record of `path`, made
// without any library.
std::unique_ptr<TImageDetail> MakeImageDetail(const QString &path);

// `bytes` rounded down to a whole number of 128-byte blocks, as an int32
// (saturated at the largest such multiple).
qint32 RoundedFileSize(qint64 bytes);

// The pixel size of a picture file by the GIF rule, or -1 x -1 when it
// cannot be decoded for any reason.
void MeasurePicture(const QString &path, qint32 &width, qint32 &height);
