#include "engine/RegOptions.h"

#include "engine/AsciiText.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/MaskEntry.h"
#include "engine/TextSlot.h"

#include <QDir>
#include <QFileDevice>
#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace {

// Offsets of the options block.
constexpr qsizetype kDefaultFolderAt = 0;
constexpr qsizetype kEnableFileLimitAt = 1024;
constexpr qsizetype kFileMaxSizeAt = 1028;
constexpr qsizetype kFileMinSizeAt = 1032;
constexpr qsizetype kSeekDeepAt = 1040;
constexpr qsizetype kAutoShutDownAt = 1045;
constexpr qsizetype kUseProxyServerAt = 1046;
constexpr qsizetype kProxyServerAddrAt = 1047;
constexpr qsizetype kProxyServerPortAt = 2072;
constexpr qsizetype kProxyLoginUserNameAt = 2076;
constexpr qsizetype kProxyLoginPasswordAt = 3100;
constexpr qsizetype kDefaultLogFolderAt = 4124;
constexpr qsizetype kAutoSaveLogAt = 5148;
constexpr qsizetype kFileMasksAt = 5149;
constexpr qsizetype kExcludeFilesAt = 267293;
constexpr qsizetype kSchemeTypeAt = 529437;
constexpr qsizetype kSchemeCountAt = 529440;
constexpr qsizetype kSchemeStartDateAt = 529448;
constexpr qsizetype kSchemeStartTimeAt = 529456;
constexpr qsizetype kNeedToLoginAt = 529464;
constexpr qsizetype kLoginUserNameAt = 529465;
constexpr qsizetype kLoginPasswordAt = 530489;

constexpr qsizetype kSlot = TRegOptions::kSlotSize;
constexpr char kEndMarker[] = "(end)";

static_assert(kFileMasksAt + TRegOptions::kListSlots * kSlot == kExcludeFilesAt);
static_assert(kExcludeFilesAt + TRegOptions::kListSlots * kSlot == kSchemeTypeAt);
static_assert(kLoginPasswordAt + kSlot + 7 == TRegOptions::kBlockSize);

void PutInt32(char *block, qsizetype at, std::int32_t value)
{
    qToLittleEndian<std::int32_t>(value, block + at);
}

std::int32_t GetInt32(const char *block, qsizetype at)
{
    return qFromLittleEndian<std::int32_t>(block + at);
}

void PutDouble(char *block, qsizetype at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian<quint64>(bits, block + at);
}

double GetDouble(const char *block, qsizetype at)
{
    const quint64 bits = qFromLittleEndian<quint64>(block + at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutText(char *block, qsizetype at, const QString &text)
{
    WriteTextSlot(block + at, kSlot, text);
}

QString GetText(const char *block, qsizetype at)
{
    return ReadTextSlot(block + at, kSlot);
}

// Entries fill consecutive slots; a list shorter than the area is ended by
// the marker, a full area has none. Entries beyond the area are not saved.
void PutList(char *block, qsizetype at, const QStringList &list)
{
    const qsizetype count = qMin(list.size(), TRegOptions::kListSlots);
    for (qsizetype i = 0; i < count; ++i)
        PutText(block, at + i * kSlot, list[i]);
    if (count < TRegOptions::kListSlots)
        std::memcpy(block + at + count * kSlot, kEndMarker, sizeof kEndMarker);
}

QStringList GetList(const char *block, qsizetype at)
{
    QStringList list;
    for (qsizetype i = 0; i < TRegOptions::kListSlots; ++i) {
        const char *slot = block + at + i * kSlot;
        // The marker is compared byte for byte, so a slot such as "(END)" or
        // "(end)x" is an ordinary entry.
        if (std::memcmp(slot, kEndMarker, sizeof kEndMarker) == 0)
            break;
        list << ReadTextSlot(slot, kSlot);
    }
    return list;
}

QString StreamName(const QIODevice &stream)
{
    const auto *file = qobject_cast<const QFileDevice *>(&stream);
    return file && !file->fileName().isEmpty() ? file->fileName() : QStringLiteral("the stream");
}

} // namespace

TRegOptions::TRegOptions()
    : DefaultFolder(InitialFolder())
    , DefaultLogFolder(InitialFolder())
    , ProjectPath(InitialFolder())
{
}

QString TRegOptions::InitialFolder()
{
    return AddBackslash(QDir::tempPath());
}

void TRegOptions::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TRegOptions *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    UseProxyServer = other->UseProxyServer;
    AutoSaveLog = other->AutoSaveLog;
    AutoShutDown = other->AutoShutDown;
    FileMinSize = other->FileMinSize;
    FileMaxSize = other->FileMaxSize;
    SeekDeep = other->SeekDeep;
    ProxyServerPort = other->ProxyServerPort;
    ProxyLoginUserName = other->ProxyLoginUserName;
    DefaultFolder = other->DefaultFolder;
    DefaultLogFolder = other->DefaultLogFolder;
    ProxyLoginPassword = other->ProxyLoginPassword;
    ProxyServerAddr = other->ProxyServerAddr;
    Scheme.Assign(other->Scheme);
    ExcludeFiles = other->ExcludeFiles;
    FileMasks = other->FileMasks;
    EnableFileLimit = other->EnableFileLimit;
    ProjectPath = other->ProjectPath;
    NeedToLogin = other->NeedToLogin;
    LoginPassword = other->LoginPassword;
    LoginUserName = other->LoginUserName;
    DefaultTaskAdded = other->DefaultTaskAdded;
}

QByteArray TRegOptions::ToBlock() const
{
    QByteArray bytes(kBlockSize, '\0');
    char *block = bytes.data();
    PutText(block, kDefaultFolderAt, DefaultFolder);
    block[kEnableFileLimitAt] = EnableFileLimit ? 1 : 0;
    PutInt32(block, kFileMaxSizeAt, FileMaxSize);
    PutInt32(block, kFileMinSizeAt, FileMinSize);
    PutInt32(block, kSeekDeepAt, SeekDeep);
    block[kAutoShutDownAt] = AutoShutDown ? 1 : 0;
    block[kUseProxyServerAt] = UseProxyServer ? 1 : 0;
    PutText(block, kProxyServerAddrAt, ProxyServerAddr);
    PutInt32(block, kProxyServerPortAt, ProxyServerPort);
    PutText(block, kProxyLoginUserNameAt, ProxyLoginUserName);
    PutText(block, kProxyLoginPasswordAt, ProxyLoginPassword);
    PutText(block, kDefaultLogFolderAt, DefaultLogFolder);
    block[kAutoSaveLogAt] = AutoSaveLog ? 1 : 0;
    PutList(block, kFileMasksAt, FileMasks);
    PutList(block, kExcludeFilesAt, ExcludeFiles);
    block[kSchemeTypeAt] = static_cast<char>(Scheme.SchemeType);
    PutInt32(block, kSchemeCountAt, Scheme.SchemeCount);
    PutDouble(block, kSchemeStartDateAt, Scheme.SchemeStartDate);
    PutDouble(block, kSchemeStartTimeAt, Scheme.SchemeStartTime);
    block[kNeedToLoginAt] = NeedToLogin ? 1 : 0;
    PutText(block, kLoginUserNameAt, LoginUserName);
    PutText(block, kLoginPasswordAt, LoginPassword);
    return bytes;
}

void TRegOptions::FromBlock(QByteArrayView bytes)
{
    if (bytes.size() < kBlockSize)
        throw EZavelonError(QStringLiteral("The options block holds %1 of %2 bytes").arg(bytes.size()).arg(kBlockSize));
    const char *block = bytes.data();
    DefaultFolder = GetText(block, kDefaultFolderAt);
    EnableFileLimit = block[kEnableFileLimitAt] != 0;
    FileMaxSize = GetInt32(block, kFileMaxSizeAt);
    FileMinSize = GetInt32(block, kFileMinSizeAt);
    SeekDeep = GetInt32(block, kSeekDeepAt);
    AutoShutDown = block[kAutoShutDownAt] != 0;
    UseProxyServer = block[kUseProxyServerAt] != 0;
    ProxyServerAddr = GetText(block, kProxyServerAddrAt);
    ProxyServerPort = GetInt32(block, kProxyServerPortAt);
    ProxyLoginUserName = GetText(block, kProxyLoginUserNameAt);
    ProxyLoginPassword = GetText(block, kProxyLoginPasswordAt);
    DefaultLogFolder = GetText(block, kDefaultLogFolderAt);
    AutoSaveLog = block[kAutoSaveLogAt] != 0;
    FileMasks = GetList(block, kFileMasksAt);
    ExcludeFiles = GetList(block, kExcludeFilesAt);
    Scheme.SchemeType = static_cast<std::uint8_t>(block[kSchemeTypeAt]);
    Scheme.SchemeCount = GetInt32(block, kSchemeCountAt);
    Scheme.SchemeStartDate = GetDouble(block, kSchemeStartDateAt);
    Scheme.SchemeStartTime = GetDouble(block, kSchemeStartTimeAt);
    NeedToLogin = block[kNeedToLoginAt] != 0;
    LoginUserName = GetText(block, kLoginUserNameAt);
    LoginPassword = GetText(block, kLoginPasswordAt);
}

void TRegOptions::LoadFromStream(QIODevice &stream)
{
    const QByteArray block = stream.read(kBlockSize);
    if (block.size() < kBlockSize)
        throw EZavelonError(QStringLiteral("%1: the options block ends early (%2 of %3 bytes)")
                                .arg(StreamName(stream)).arg(block.size()).arg(kBlockSize));
    FromBlock(block);
}

void TRegOptions::SaveToStream(QIODevice &stream) const
{
    const QByteArray block = ToBlock();
    if (stream.write(block) != block.size())
        throw EZavelonError(QStringLiteral("%1: cannot write the options block: %2")
                                .arg(StreamName(stream), stream.errorString()));
}

int TRegOptions::FindMaskIndex(const QString &extension) const
{
    const QString wanted = AsciiLower(TrimLowChars(extension));
    for (qsizetype i = 0; i < FileMasks.size(); ++i) {
        if (AsciiLower(TrimLowChars(SplitMaskEntry(FileMasks[i]).Extension)) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

bool TRegOptions::IsExcludedFile(const QString &name) const
{
    for (const QString &entry : ExcludeFiles) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
