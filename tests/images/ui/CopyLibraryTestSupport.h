#pragma once

// What the tests of the copy, collect and library windows share: answering
// modal windows as a user would, finding a window's parts by name, and
// folders of real picture files.

#include "imaging/PictureFixtures.h"
#include "support/WidgetTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace copytest {

// Runs `action` on the next modal window that opens, once.
using TModalAnswer = TModalHandler;

// A message box as the user saw it.
struct TSeenBox {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

// Answers every message box that opens while it lives with `button`, and
// records what each said.
class TMessageBoxes
{
public:
    explicit TMessageBoxes(QMessageBox::StandardButton button = QMessageBox::Ok)
        : m_button(button)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            Seen.append({box->windowTitle(), box->text(), box->icon()});
            QAbstractButton *answer = box->button(m_button);
            if (!answer)
                answer = box->button(QMessageBox::Ok);
            if (answer)
                answer->click();
            else
                box->reject();
        });
        m_timer.start();
    }
    void SetAnswer(QMessageBox::StandardButton button) { m_button = button; }

    QList<TSeenBox> Seen;

private:
    QMessageBox::StandardButton m_button;
    QTimer m_timer;
};

template <typename T>
T *Child(const QObject *owner, const char *name)
{
    T *child = owner->findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}

inline QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteText(const QString &path, const QByteArray &bytes)
{
    fixtures::WriteBytes(path, bytes);
}

// A PNG of `width` x `height`.
inline void WritePng(const QString &path, int width, int height)
{
    fixtures::WriteQt(path, "png", fixtures::CornerPicture(width, height));
}

// Names in `folder` that a copy left behind half-done.
inline QStringList TemporaryFiles(const QString &folder)
{
    QStringList left;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        if (name.contains(QLatin1String("!!wr")))
            left << name;
    return left;
}

// A folder path nobody can create files in, root included: it lies under a
// regular file.
inline QString UnwritableFolder(const QString &base)
{
    const QString file = base + QStringLiteral("/plain-file");
    if (!QFile::exists(file))
        fixtures::WriteBytes(file, "not a folder");
    return file + QStringLiteral("/target");
}

} // namespace copytest
