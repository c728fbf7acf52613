#include "PicturesTestSupport.h"

#include "engine/ProgramHome.h"
#include "images/ui/DesktopWallpaper.h"
#include "images/ui/PicturesPanel.h"
#include "images/ui/UrlOpener.h"
#include "imaging/PictureFixtures.h"
#include "widgets/ErrorReport.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QTimer>

namespace {

class TRecordingRunner : public TCommandRunner
{
public:
    bool HasDesktop() const override { return Recorder().HasDesktop; }
    bool Exists(const QString &program) const override { return Recorder().Installed.contains(program); }
    TCommandResult Run(const QString &program, const QStringList &arguments) override
    {
        Recorder().Commands.append({program, arguments});
        TCommandResult result;
        result.Started = Recorder().Installed.contains(program);
        result.ExitCode = result.Started && !Recorder().Failing.contains(program) ? 0 : 1;
        result.Output = Recorder().Outputs.value(program);
        if (result.ExitCode != 0)
            result.Errors = "recorded failure";
        return result;
    }
};

// Installed before main(): the real desktop is never reached.
const bool g_recordersInstalled = [] {
    SetCommandRunner(std::make_unique<TRecordingRunner>());
    SetUrlOpener([](const QUrl &url) {
        Recorder().OpenedUrls.append(url);
        return Recorder().OpenSucceeds;
    });
    return true;
}();

} // namespace

void TCommandRecorder::Reset()
{
    *this = TCommandRecorder();
}

TCommandRecorder &Recorder()
{
    Q_UNUSED(g_recordersInstalled);
    static TCommandRecorder recorder;
    return recorder;
}

TBoxAnswer::TBoxAnswer(QMessageBox::StandardButton button)
    : m_handler([button, text = m_text, caption = m_caption](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        *text = box->text();
        *caption = box->windowTitle();
        if (QAbstractButton *answer = box->button(button))
            answer->click();
        else
            box->reject();
    })
{
}

void WritePicture(const QString &path, int width, int height)
{
    const QByteArray format = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? "png"
                              : path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? "bmp"
                                                                                          : "jpeg";
    fixtures::WriteQt(path, format, fixtures::CornerPicture(width, height));
}

void WriteGif(const QString &path, int width, int height, int frames)
{
    fixtures::WriteMagick(path, "GIF", width, height, frames);
}

void WriteBytes(const QString &path, qint64 bytes)
{
    fixtures::WriteBytes(path, QByteArray(bytes, 'x'));
}

TPicturesActions MakePictureActions(QWidget *owner)
{
    const auto make = [owner](const char *name, const char *shortcut = "", bool checkable = false) {
        auto *action = new QAction(QLatin1String(name), owner);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(QKeySequence(QLatin1String(shortcut)));
        action->setCheckable(checkable);
        owner->addAction(action);
        return action;
    };
    TPicturesActions actions;
    actions.CopyTo = make("ImagesCopyToAction");
    actions.MoveTo = make("ImagesMoveToAction");
    actions.Delete = make("ImagesDeleteAction", "Del");
    actions.DeleteAll = make("ImagesDeleteAllAction");
    actions.DeleteBy = make("ImagesDeleteByAction");
    actions.SetWallpaper = make("ImagesSetWallpaperAction", "Ctrl+W");
    actions.OpenFolder = make("ImagesOpenFolderAction");
    actions.Fit = make("ImagesFitAction", "", true);
    actions.Unsort = make("ImagesUnsortAction", "", true);
    actions.SortByName = make("ImagesSortByNameAction", "", true);
    actions.SortByType = make("ImagesSortByTypeAction", "", true);
    actions.SortBySize = make("ImagesSortBySizeAction", "", true);
    actions.BuildIn = make("ImagesBuildInAction");
    auto *group = new QActionGroup(owner);
    group->setExclusive(true);
    for (QAction *sort : {actions.Unsort, actions.SortByName, actions.SortByType, actions.SortBySize})
        group->addAction(sort);
    actions.Unsort->setChecked(true);
    return actions;
}
