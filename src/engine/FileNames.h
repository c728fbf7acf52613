#pragma once

#include <QString>

#include <functional>

// The text with the path separator appended, unless it is empty or already
// ends with one. Folder values of the options and the settings end with it.
QString AddBackslash(const QString &text);

// A path at which no file exists yet: the path itself when free, else the
// folder + the name before its first dot + "[n]" + the extension from the last
// dot, for the first n = 0, 1, ... that is free ("a.b.jpg" -> "a[0].jpg").
QString UniqueFileName(const QString &path);
// The same with another test of what is taken.
QString UniqueFileName(const QString &path, const std::function<bool(const QString &candidate)> &taken);

// The longest name a file may have in `folder` (bytes of its encoded name;
// 255 on the usual Linux file systems).
int MaxFileNameBytes(const QString &folder);

// `path` with its file name shortened, where needed, so that the name plus
// `reserve` more bytes (a temporary suffix) fits `maxBytes`: the part before
// the extension is cut at a character boundary and the extension kept (a
// name whose extension alone is too long is cut as a whole).
QString FitFileName(const QString &path, int reserve, int maxBytes);
