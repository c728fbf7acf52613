#pragma once

class QPushButton;
class QString;
class QWidget;

// A button beside a list or a field ("&Add", "&Paste", "&Select"...): Enter in
// the dialog still presses the dialog's default button, never this one.
QPushButton *SideButton(const QString &caption, const QString &objectName, QWidget *parent);
