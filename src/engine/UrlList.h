#pragma once

#include <QByteArray>

class TTask;

// The "Save URL" text of a task: the line "* Finished item.", an empty line,
// then one line per item in list order, "* " + URL for a done item and two
// blanks + URL otherwise. Every line ends with CR LF; the text is UTF-8.
QByteArray UrlListText(const TTask &task);
