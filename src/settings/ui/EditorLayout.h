#pragma once

#include <QLabel>
#include <QString>

class QWidget;

// Small pieces every editor dialog builds its pages from.

// A caption for `field`: its buddy, so that the caption's "&" letter moves
// the focus there and screen readers name the field by it.
QLabel *FieldCaption(const QString &text, QWidget *field, QWidget *parent);

// The editors' conversion of a number field: the decimal integer the text
// holds (blanks around it allowed), else `fallback`.
int IntegerOrDefault(const QString &text, int fallback);
