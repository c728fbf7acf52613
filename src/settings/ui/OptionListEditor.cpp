#include "settings/ui/OptionListEditor.h"

#include "engine/MaskEntry.h"
#include "settings/ListLimit.h"
#include "settings/ui/AddFileForm.h"
#include "settings/ui/AddFileMaskForm.h"
#include "settings/ui/EditorLayout.h"
#include "widgets/SideButton.h"
#include "widgets/Messages.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

TOptionListEditor::TOptionListEditor(TKind kind, const QString &caption, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
{
    const QString prefix = kind == TKind::Masks ? QStringLiteral("Mask") : QStringLiteral("Exclude");
    const QStringList columns = kind == TKind::Masks
                                    ? QStringList{QStringLiteral("Image extname"), QStringLiteral("Directory")}
                                    : QStringList{QStringLiteral("Filename")};

    m_list = new QTableWidget(0, int(columns.size()), this);
    m_list->setObjectName(prefix + QStringLiteral("ListView"));
    m_list->setHorizontalHeaderLabels(columns);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    // Tab leaves the list instead of walking its cells.
    m_list->setTabKeyNavigation(false);
    if (kind == TKind::Masks)
        m_list->setColumnWidth(0, qMax(120, m_list->horizontalHeader()->sectionSizeHint(0)));
    // A table is not named by its buddy label; it carries its caption itself.
    m_list->setAccessibleName(QString(caption).remove(QLatin1Char('&')));

    auto *add = SideButton(QStringLiteral("&Add"), prefix + QStringLiteral("AddButton"), this);
    auto *remove = SideButton(QStringLiteral("&Delete"), prefix + QStringLiteral("DeleteButton"), this);
    connect(add, &QPushButton::clicked, this, &TOptionListEditor::AddClicked);
    connect(remove, &QPushButton::clicked, this, &TOptionListEditor::DeleteClicked);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FieldCaption(caption, m_list, this), 0, 0, 1, 2);
    layout->addWidget(m_list, 1, 0, 4, 1);
    layout->addWidget(add, 1, 1);
    layout->addWidget(remove, 2, 1);
    if (kind == TKind::Masks) {
        auto *clear = SideButton(QStringLiteral("&Clear"), prefix + QStringLiteral("ClearButton"), this);
        connect(clear, &QPushButton::clicked, this, [this] { m_list->setRowCount(0); });
        layout->addWidget(clear, 3, 1);
    }
    layout->setRowStretch(4, 1);
}

QWidget *TOptionListEditor::ListView() const
{
    return m_list;
}

void TOptionListEditor::SetEntries(const QStringList &entries)
{
    m_list->setRowCount(0);
    for (const QString &entry : entries) {
        if (m_kind == TKind::Masks) {
            const TMaskEntry mask = SplitMaskEntry(entry);
            AppendRow({mask.Extension, mask.Folder});
        } else {
            AppendRow({entry});
        }
    }
}

QStringList TOptionListEditor::Entries() const
{
    QStringList entries;
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (m_kind == TKind::Masks)
            entries << JoinMaskEntry({m_list->item(row, 0)->text(), m_list->item(row, 1)->text()});
        else
            entries << m_list->item(row, 0)->text();
    }
    return entries;
}

void TOptionListEditor::AppendRow(const QStringList &cells)
{
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    for (int column = 0; column < cells.size(); ++column)
        m_list->setItem(row, column, new QTableWidgetItem(cells[column]));
}

void TOptionListEditor::AddClicked()
{
    if (IsListFull(m_list->rowCount())) {
        ShowInformation(this, kListFullMessage);
        return;
    }
    if (m_kind == TKind::Masks) {
        TAddFileMaskForm form(this);
        if (form.exec() == QDialog::Accepted)
            AppendRow({form.Extension(), form.Folder()});
    } else {
        TAddFileForm form(this);
        if (form.exec() == QDialog::Accepted)
            AppendRow({form.FileName()});
    }
}

void TOptionListEditor::DeleteClicked()
{
    const QList<QTableWidgetSelectionRange> selected = m_list->selectedRanges();
    if (!selected.isEmpty())
        m_list->removeRow(selected.first().topRow());
}
