#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class TImageLibrary;

// The three rules of "Delete By ...". Each gives the full paths to offer for
// deletion; the user still confirms them one by one.

// A row of the pictures list: its full path and its size in bytes.
struct TListedFile {
    QString FileName;
    qint64 Size = 0;
};

// A whole number typed by the user; 0 when the text is not one.
int IntegerOrZero(const QString &text);

// "Image size": the rows whose library record says the picture is narrower
// than `width` and lower than `height` (both strictly). A record of -1 x -1
// (the picture could not be decoded) always qualifies; a row the library
// does not know never does.
QStringList SmallPictureCandidates(const QStringList &paths, const TImageLibrary &library, int width, int height);

// "File size": the rows listed at `limitText` kilobytes or less (whole
// kilobytes, as the list shows them: limit 10 takes files up to 11263
// bytes).
QStringList SmallFileCandidates(const std::vector<TListedFile> &rows, const QString &limitText);

// "File filter": the entries of `folder` (the task's pictures folder) whose
// names match `filter`, whether listed or not, without names holding
// "!!wr". "*" stands for any run of characters and "?" for one, without
// regard to letter case; a trailing ".*" also takes names without a dot.
// A filter with a folder part ("old/*.jpg") looks in that folder, and the
// candidates are the files found there. An empty filter gives none.
QStringList FilterCandidates(const QString &folder, const QString &filter);

// Whether a file name matches a filter as above.
bool MatchesFilter(const QString &name, const QString &filter);
