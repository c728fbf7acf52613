#include "settings/RegSettings.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/ProgramHome.h"

#include <QDir>
#include <QFileInfo>

#include <exception>

namespace {

const QString kWindowKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Window");
const QString kMenuKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Menu");
const QString kOptionsKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options");
const QString kFileMasksKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options\\FileMasks");
const QString kExcludeFilesKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options\\ExcludeFiles");
const QString kSchemeKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options\\Scheme");

const QString kImagesFolder = QStringLiteral("Images");
const QString kDownloadSub = QStringLiteral("Downloaded Files");
const QString kLogsSub = QStringLiteral("Logs");
const QString kProjectsSub = QStringLiteral("Projects");

bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

const QStringList &StandardFileMasks()
{
    static const QStringList masks = {
        QStringLiteral("gif, Saved"), QStringLiteral("jpg, Saved"), QStringLiteral("jpeg, Saved"),
        QStringLiteral("pcx, Saved"), QStringLiteral("tiff, Saved"), QStringLiteral("tif, Saved"),
        QStringLiteral("bmp, Saved"), QStringLiteral("png, Saved"), QStringLiteral("wmf, Saved"),
    };
    return masks;
}

TRegSettings::TRegSettings(const QString &home)
    : m_store(AddBackslash(home.isEmpty() ? ProgramHome() : home) + kStoreFileName)
    , m_registry(m_store)
    , m_home(AddBackslash(home.isEmpty() ? ProgramHome() : home))
{
}

QString TRegSettings::DownloadFolder() const
{
    return m_home + kImagesFolder + QLatin1Char('/') + kDownloadSub + QLatin1Char('/');
}

QString TRegSettings::LogFolder() const
{
    return m_home + kImagesFolder + QLatin1Char('/') + kLogsSub + QLatin1Char('/');
}

QString TRegSettings::ProjectFolder() const
{
    return m_home + kImagesFolder + QLatin1Char('/') + kProjectsSub + QLatin1Char('/');
}

void TRegSettings::MakeWorkingFolders() const
{
    QDir home(m_home);
    home.mkdir(kImagesFolder);
    QDir images(m_home + kImagesFolder);
    images.mkdir(kDownloadSub);
    images.mkdir(kLogsSub);
    images.mkdir(kProjectsSub);
}

void TRegSettings::SetWorkingFolders()
{
    Options.DefaultFolder = DownloadFolder();
    Options.DefaultLogFolder = LogFolder();
    Options.ProjectPath = ProjectFolder();
}

void TRegSettings::OpenKey(const QString &path)
{
    if (!m_registry.OpenKey(path, true))
        throw EZavelonError(QStringLiteral("Cannot open the key %1 of %2").arg(path, m_store.FileName()));
}

void TRegSettings::Load()
{
    m_store.Load();
    try {
        ReadStore();
    } catch (const std::exception &) {
        // Whatever was read stays; the rest is made sound and written.
        ResetToDefaults();
        Save();
    }
}

void TRegSettings::ReadStore()
{
    m_registry.SetRootKey(kCurrentUserRoot);
    TRegistry &reg = m_registry;

    OpenKey(kWindowKey);
    Window.Left = reg.ReadInteger(QStringLiteral("Left"));
    Window.Top = reg.ReadInteger(QStringLiteral("Top"));
    Window.Width = reg.ReadInteger(QStringLiteral("Width"));
    Window.Height = reg.ReadInteger(QStringLiteral("Height"));
    Window.State = static_cast<std::uint8_t>(reg.ReadInteger(QStringLiteral("State")));
    Window.ShowMinPrompt = reg.ReadBool(QStringLiteral("ShowMinPrompt"));
    Window.TipIndex = reg.ReadInteger(QStringLiteral("TipIndex"));
    Window.ShowTip = reg.ReadBool(QStringLiteral("ShowTip"));

    OpenKey(kMenuKey);
    Menu.ShowStandardToolBar = reg.ReadBool(QStringLiteral("ShowStandardToolBar"));
    Menu.ShowStatePanel = reg.ReadBool(QStringLiteral("ShowStatePanel"));
    Menu.ShowAllFiles = reg.ReadBool(QStringLiteral("ShowAllFiles"));
    Menu.FitImages = reg.ReadBool(QStringLiteral("FitImages"));
    Menu.ImageSort = static_cast<std::uint8_t>(reg.ReadInteger(QStringLiteral("ImageSort")));

    OpenKey(kOptionsKey);
    Options.DefaultFolder = reg.ReadString(QStringLiteral("DefaultFolder"));
    Options.EnableFileLimit = reg.ReadBool(QStringLiteral("EnableFileLimit"));
    Options.FileMaxSize = reg.ReadInteger(QStringLiteral("FileMaxSize"));
    Options.FileMinSize = reg.ReadInteger(QStringLiteral("FileMinSize"));
    Options.SeekDeep = reg.ReadInteger(QStringLiteral("SeekDeep"));
    Options.AutoShutDown = reg.ReadBool(QStringLiteral("AutoShutDown"));
    Options.UseProxyServer = reg.ReadBool(QStringLiteral("UseProxyServer"));
    Options.ProxyServerAddr = reg.ReadString(QStringLiteral("ProxyServerAddr"));
    Options.ProxyServerPort = reg.ReadInteger(QStringLiteral("ProxyServerPort"));
    Options.ProxyLoginUserName = reg.ReadString(QStringLiteral("ProxyLoginUserName"));
    Options.ProxyLoginPassword = reg.ReadString(QStringLiteral("ProxyLoginPassword"));
    Options.DefaultLogFolder = reg.ReadString(QStringLiteral("DefaultLogFolder"));
    Options.AutoSaveLog = reg.ReadBool(QStringLiteral("AutoSaveLog"));
    Options.ProjectPath = reg.ReadString(QStringLiteral("ProjectPath"));
    Options.DefaultTaskAdded = reg.ReadBool(QStringLiteral("DefaultTaskAdded"));

    // One missing folder moves all three back to the working folders, so the
    // three always belong together.
    if (!IsFolder(Options.DefaultFolder) || !IsFolder(Options.DefaultLogFolder) || !IsFolder(Options.ProjectPath)) {
        MakeWorkingFolders();
        SetWorkingFolders();
    }

    ReadList(kFileMasksKey, Options.FileMasks);
    ReadList(kExcludeFilesKey, Options.ExcludeFiles);

    OpenKey(kSchemeKey);
    Options.Scheme.SchemeType = static_cast<std::uint8_t>(reg.ReadInteger(QStringLiteral("SchemeType")));
    Options.Scheme.SchemeCount = reg.ReadInteger(QStringLiteral("SchemeCount"));
    Options.Scheme.SchemeStartDate = reg.ReadFloat(QStringLiteral("SchemeStartDate"));
    Options.Scheme.SchemeStartTime = reg.ReadFloat(QStringLiteral("SchemeStartTime"));
}

// Every value of the key, in enumeration order, whatever its name.
void TRegSettings::ReadList(const QString &keyPath, QStringList &list)
{
    OpenKey(keyPath);
    const QStringList names = m_registry.GetValueNames();
    list.clear();
    for (const QString &name : names)
        list << m_registry.ReadString(name);
}

// The key is made anew, so the values are named 0, 1, ... with no leftovers.
void TRegSettings::WriteList(const QString &keyPath, const QStringList &list)
{
    m_registry.DeleteKey(keyPath);
    OpenKey(keyPath);
    for (qsizetype i = 0; i < list.size(); ++i)
        m_registry.WriteString(QString::number(i), list[i]);
}

void TRegSettings::Save()
{
    m_registry.SetRootKey(kCurrentUserRoot);
    TRegistry &reg = m_registry;

    OpenKey(kWindowKey);
    reg.WriteInteger(QStringLiteral("Left"), Window.Left);
    reg.WriteInteger(QStringLiteral("Top"), Window.Top);
    reg.WriteInteger(QStringLiteral("Width"), Window.Width);
    reg.WriteInteger(QStringLiteral("Height"), Window.Height);
    reg.WriteInteger(QStringLiteral("State"), Window.State);
    reg.WriteBool(QStringLiteral("ShowMinPrompt"), Window.ShowMinPrompt);
    reg.WriteInteger(QStringLiteral("TipIndex"), Window.TipIndex);
    reg.WriteBool(QStringLiteral("ShowTip"), Window.ShowTip);

    OpenKey(kMenuKey);
    reg.WriteBool(QStringLiteral("ShowStandardToolBar"), Menu.ShowStandardToolBar);
    reg.WriteBool(QStringLiteral("ShowStatePanel"), Menu.ShowStatePanel);
    reg.WriteBool(QStringLiteral("ShowAllFiles"), Menu.ShowAllFiles);
    reg.WriteBool(QStringLiteral("FitImages"), Menu.FitImages);
    reg.WriteInteger(QStringLiteral("ImageSort"), Menu.ImageSort);

    OpenKey(kOptionsKey);
    reg.WriteString(QStringLiteral("DefaultFolder"), Options.DefaultFolder);
    reg.WriteBool(QStringLiteral("EnableFileLimit"), Options.EnableFileLimit);
    reg.WriteInteger(QStringLiteral("FileMaxSize"), Options.FileMaxSize);
    reg.WriteInteger(QStringLiteral("FileMinSize"), Options.FileMinSize);
    reg.WriteInteger(QStringLiteral("SeekDeep"), Options.SeekDeep);
    reg.WriteBool(QStringLiteral("AutoShutDown"), Options.AutoShutDown);
    reg.WriteBool(QStringLiteral("UseProxyServer"), Options.UseProxyServer);
    reg.WriteString(QStringLiteral("ProxyServerAddr"), Options.ProxyServerAddr);
    reg.WriteInteger(QStringLiteral("ProxyServerPort"), Options.ProxyServerPort);
    reg.WriteString(QStringLiteral("ProxyLoginUserName"), Options.ProxyLoginUserName);
    reg.WriteString(QStringLiteral("ProxyLoginPassword"), Options.ProxyLoginPassword);
    reg.WriteString(QStringLiteral("DefaultLogFolder"), Options.DefaultLogFolder);
    reg.WriteBool(QStringLiteral("AutoSaveLog"), Options.AutoSaveLog);
    reg.WriteString(QStringLiteral("ProjectPath"), Options.ProjectPath);
    reg.WriteBool(QStringLiteral("DefaultTaskAdded"), Options.DefaultTaskAdded);

    WriteList(kFileMasksKey, Options.FileMasks);
    WriteList(kExcludeFilesKey, Options.ExcludeFiles);

    OpenKey(kSchemeKey);
    reg.WriteInteger(QStringLiteral("SchemeType"), Options.Scheme.SchemeType);
    reg.WriteInteger(QStringLiteral("SchemeCount"), Options.Scheme.SchemeCount);
    reg.WriteFloat(QStringLiteral("SchemeStartDate"), Options.Scheme.SchemeStartDate);
    reg.WriteFloat(QStringLiteral("SchemeStartTime"), Options.Scheme.SchemeStartTime);

    reg.Flush();
}

void TRegSettings::ResetToDefaults()
{
    SetWorkingFolders();
    Options.FileMasks << StandardFileMasks();
    MakeWorkingFolders();
}
