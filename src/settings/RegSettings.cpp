#include "settings/RegSettings.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/OptionFields.h"
#include "engine/ProgramHome.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <type_traits>

namespace {

const QString kWindowKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Window");
const QString kMenuKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Menu");
const QString kOptionsKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options");
const QString kSchemeKey = QStringLiteral("\\Software\\TORVELLAN\\ZAV\\Options\\Scheme");

const QString kImagesFolder = QStringLiteral("Images");
const QString kDownloadSub = QStringLiteral("Downloaded Files");
const QString kLogsSub = QStringLiteral("Logs");
const QString kProjectsSub = QStringLiteral("Projects");

bool IsFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The key of an option field: a list has a key of its own named after it,
// the schedule's fields share "Options\Scheme", the rest are values of
// "Options".
QString KeyOf(const TOptionField &field)
{
    if (field.Type() == TOptionType::TextList)
        return kOptionsKey + QLatin1Char('\\') + QLatin1String(field.Name);
    if (field.InScheme())
        return kSchemeKey;
    return kOptionsKey;
}

bool InOptionsKey(const TOptionField &field)
{
    return KeyOf(field) == kOptionsKey;
}

bool BelowOptionsKey(const TOptionField &field)
{
    return !InOptionsKey(field);
}

// Typed values of the store: flags and integers are REG_DWORD, SchemeType
// goes into its 8-bit field, date-times are 8-byte binaries.
void ReadValue(const TRegistry &reg, const QString &name, bool &value)
{
    value = reg.ReadBool(name);
}
void ReadValue(const TRegistry &reg, const QString &name, std::int32_t &value)
{
    value = reg.ReadInteger(name);
}
void ReadValue(const TRegistry &reg, const QString &name, std::uint8_t &value)
{
    value = static_cast<std::uint8_t>(reg.ReadInteger(name));
}
void ReadValue(const TRegistry &reg, const QString &name, double &value)
{
    value = reg.ReadFloat(name);
}
void ReadValue(const TRegistry &reg, const QString &name, QString &value)
{
    value = reg.ReadString(name);
}

void WriteValue(TRegistry &reg, const QString &name, bool value)
{
    reg.WriteBool(name, value);
}
void WriteValue(TRegistry &reg, const QString &name, std::int32_t value)
{
    reg.WriteInteger(name, value);
}
void WriteValue(TRegistry &reg, const QString &name, std::uint8_t value)
{
    reg.WriteInteger(name, value);
}
void WriteValue(TRegistry &reg, const QString &name, double value)
{
    reg.WriteFloat(name, value);
}
void WriteValue(TRegistry &reg, const QString &name, const QString &value)
{
    reg.WriteString(name, value);
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

    // The Options key's own values first: one missing folder moves all three
    // back to the working folders, so the three always belong together.
    ReadOptionFields(InOptionsKey);
    if (!IsFolder(Options.DefaultFolder) || !IsFolder(Options.DefaultLogFolder) || !IsFolder(Options.ProjectPath)) {
        MakeWorkingFolders();
        SetWorkingFolders();
    }
    ReadOptionFields(BelowOptionsKey);
}

// The store's option fields that `which` selects, in the table's order; each
// key is opened when its first field comes.
void TRegSettings::ReadOptionFields(bool (*which)(const TOptionField &))
{
    QString openKey;
    for (const TOptionField &field : OptionFields()) {
        if (!field.InStore() || !which(field))
            continue;
        const QString key = KeyOf(field);
        field.Visit(Options, [&](auto &value) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, QStringList>) {
                ReadList(key, value);
            } else {
                if (key != openKey)
                    OpenKey(key);
                ReadValue(m_registry, QString::fromLatin1(field.Name), value);
            }
        });
        openKey = key;
    }
}

void TRegSettings::WriteOptionFields()
{
    QString openKey;
    for (const TOptionField &field : OptionFields()) {
        if (!field.InStore())
            continue;
        const QString key = KeyOf(field);
        field.Visit(Options, [&](const auto &value) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, QStringList>) {
                WriteList(key, value);
            } else {
                if (key != openKey)
                    OpenKey(key);
                WriteValue(m_registry, QString::fromLatin1(field.Name), value);
            }
        });
        openKey = key;
    }
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

    WriteOptionFields();

    reg.Flush();
}

void TRegSettings::ResetToDefaults()
{
    SetWorkingFolders();
    Options.FileMasks << StandardFileMasks();
    MakeWorkingFolders();
}
