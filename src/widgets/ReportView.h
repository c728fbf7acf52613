#pragma once

#include <QString>

class QTreeView;
class QWidget;

// A list in report style as every window of the program shows one: rows
// with columns under a header, whole-row selection, read-only, no tree
// decoration, rows of one height (so that long lists stay quick).
QTreeView *MakeReportView(const QString &objectName, QWidget *parent);

// Keeps `column` of the view taking up whatever width the other columns
// leave, as the view is resized: the user may still resize the others.
void FitColumnToWidth(QTreeView *view, int column);
