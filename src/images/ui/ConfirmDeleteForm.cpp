#include "images/ui/ConfirmDeleteForm.h"

#include "widgets/ErrorReport.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

bool DeletePictureFile(const QString &path)
{
    const QFileInfo file(path);
    if (file.isDir() && !file.isSymLink())
        return false;
    QFile::remove(path);
    const QFileInfo after(path);
    return !after.exists() && !after.isSymLink();
}

TConfirmDeleteForm::TConfirmDeleteForm(const QStringList &files, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConfirmDeleteForm"));
    setWindowTitle(QStringLiteral("Confirm images delete action"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("If you want to delete these images please"), this));
    layout->addWidget(new QLabel(QStringLiteral("click OK button to continue."), this));

    auto *group = new QGroupBox(QStringLiteral("These images will be deleted:"), this);
    auto *groupLayout = new QVBoxLayout(group);
    m_filesListView = new QTreeWidget(group);
    m_filesListView->setObjectName(QStringLiteral("FilesListView"));
    m_filesListView->setAccessibleName(group->title());
    m_filesListView->setRootIsDecorated(false);
    m_filesListView->setUniformRowHeights(true);
    m_filesListView->setHeaderLabels({QStringLiteral("Filename")});
    for (const QString &path : files) {
        auto *item = new QTreeWidgetItem(m_filesListView, {QFileInfo(path).fileName()});
        item->setData(0, Qt::UserRole, path);
        item->setToolTip(0, path);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }
    groupLayout->addWidget(m_filesListView);
    layout->addWidget(group, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TConfirmDeleteForm::OkButtonClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 360);
}

void TConfirmDeleteForm::OkButtonClick()
{
    if (m_filesListView->topLevelItemCount() == 0) {
        ShowErrorMessage(this, QStringLiteral("No image selected !"));
    } else {
        for (int i = 0; i < m_filesListView->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = m_filesListView->topLevelItem(i);
            const QString path = item->data(0, Qt::UserRole).toString();
            if (item->checkState(0) == Qt::Checked && DeletePictureFile(path))
                m_deleted.append(path);
        }
    }
    accept();
}
