#pragma once

#include "support/WidgetTestSupport.h"

#include <QHash>
#include <QImage>
#include <QMessageBox>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QWidget;

// Every program of this folder runs the desktop's commands through a
// recorder (installed before main(), see PicturesTestSupport.cpp): no test
// can change the real wallpaper or open a real file manager, even by
// mistake.
struct TRecordedCommand {
    QString Program;
    QStringList Arguments;
};

struct TCommandRecorder {
    QList<TRecordedCommand> Commands;
    QSet<QString> Installed;               // programs Exists() reports
    QSet<QString> Failing;                 // programs that exit with 1
    QHash<QString, QByteArray> Outputs;    // what a program prints
    bool HasDesktop = true;
    QList<QUrl> OpenedUrls;
    bool OpenSucceeds = true;
    void Reset();
};
TCommandRecorder &Recorder();

// Answers the next message box with `button`, remembering its text.
class TBoxAnswer
{
public:
    explicit TBoxAnswer(QMessageBox::StandardButton button);
    bool Fired() const { return m_handler.Fired(); }
    const QString &Text() const { return *m_text; }
    const QString &Caption() const { return *m_caption; }

private:
    std::shared_ptr<QString> m_text = std::make_shared<QString>();
    std::shared_ptr<QString> m_caption = std::make_shared<QString>();
    TModalHandler m_handler;
};

// Small picture files for the folders the panel lists.
void WritePicture(const QString &path, int width, int height);
void WriteGif(const QString &path, int width, int height, int frames = 1);
void WriteBytes(const QString &path, qint64 bytes);

// The commands of the window, as the panel gets them (radio group and check
// states as the window makes them), owned by `owner`, which holds their
// shortcuts.
struct TPicturesActions;
TPicturesActions MakePictureActions(QWidget *owner);
