#pragma once

#include <QWidget>

class QLineEdit;

// A folder typed in a field or picked with "&Browse" (the shared folder
// picker with `pickerTitle`, starting at the field's folder when it exists),
// under its caption.
// The field keeps the text as typed or as picked, without a trailing
// separator; the dialog's copy-back adds it.
//
// The field is "<name>Edit", the button "<name>BrowseButton".
class TFolderField : public QWidget
{
    Q_OBJECT

public:
    TFolderField(const QString &name, const QString &caption, const QString &pickerTitle, QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);

private:
    void BrowseClicked();

    QString m_pickerTitle;
    QLineEdit *m_edit = nullptr;
};
