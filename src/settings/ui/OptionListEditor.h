#pragma once

#include <QStringList>
#include <QWidget>

class QPushButton;
class QTableWidget;

// One of the two lists the option pages edit: the file masks (columns
// "Image extname" and "Directory", buttons "&Add", "&Delete", "&Clear") or
// the excluded files (column "Filename", "&Add" and "&Delete"). Rows change
// only through the buttons. A list holds at most kMaxListEntries rows: "&Add"
// on a full list says so and adds nothing.
//
// Object names start with the kind's prefix ("Mask", "Exclude"): the list
// view is "<prefix>ListView", the buttons "<prefix>AddButton", ...
class TOptionListEditor : public QWidget
{
    Q_OBJECT

public:
    enum class TKind { Masks, Excludes };

    // `caption` names the list; it becomes the view's buddy label.
    TOptionListEditor(TKind kind, const QString &caption, QWidget *parent = nullptr);

    // Masks: each entry split into a row (extension, folder); an entry
    // without a comma gives an empty row. Excludes: one row per entry.
    void SetEntries(const QStringList &entries);
    // Masks: extension + ", " + folder per row; excludes: the row texts.
    QStringList Entries() const;

    // The list view, for the dialog that gives it the focus.
    QWidget *ListView() const;

private:
    void AddClicked();
    void DeleteClicked();
    void AppendRow(const QStringList &cells);

    TKind m_kind;
    QTableWidget *m_list = nullptr;
};
