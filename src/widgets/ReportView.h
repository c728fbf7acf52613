#pragma once

#include <QString>

#include <initializer_list>

class QTreeView;
class QWidget;

// A list in report style as every window of the program shows one: rows
// with columns under a header, whole-row selection, read-only, no tree
// decoration, rows of one height (so that long lists stay quick).
QTreeView *MakeReportView(const QString &objectName, QWidget *parent);

// Gives the columns these widths (in the order of the columns), each widened
// to fit its caption where the user's font or scale needs more.
void SetColumnWidths(QTreeView *view, std::initializer_list<int> widths);

// Keeps `column` of the view taking up whatever width the other columns
// leave, as the view is resized: the user may still resize the others.
void FitColumnToWidth(QTreeView *view, int column);
