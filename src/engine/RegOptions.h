#pragma once

#include "engine/Persistent.h"
#include "engine/RegScheme.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>

class QIODevice;

// Every option that governs how a site is searched and what is saved. One
// instance holds the application's defaults (inside the settings), one per
// task holds that task's options and travels in its project file as the
// fixed-size options block.
class TRegOptions : public TPersistent
{
public:
    // Size of the options block in a project file.
    static constexpr qsizetype kBlockSize = 531520;
    // Entries each list can keep in the block; later entries are not saved.
    static constexpr qsizetype kListSlots = 256;
    // Size of one text slot; a text keeps at most kSlotSize - 1 UTF-8 bytes.
    static constexpr qsizetype kSlotSize = 1024;

    TRegOptions();
    TRegOptions(const TRegOptions &) = default;
    TRegOptions &operator=(const TRegOptions &) = default;

    // A plain copy of every field (see OptionFields.h for the list) from
    // another TRegOptions; any other source is refused with the assignment
    // error.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TRegOptions"); }

    // Reads one block at the stream's position and leaves the stream after it.
    // A block that ends early raises EZavelonError naming the file (when the
    // stream is a file) and how many bytes there were; nothing is changed then.
    void LoadFromStream(QIODevice &stream);
    // Writes one block at the stream's position in one write; a failed or
    // short write raises EZavelonError.
    void SaveToStream(QIODevice &stream) const;

    // The block as bytes, and the decoding of a block (at least kBlockSize
    // bytes; only the first kBlockSize are read). Texts longer than 1023 bytes
    // are cut at a UTF-8 boundary, lists keep their first 256 entries; bytes no
    // field covers are zero. ProjectPath and DefaultTaskAdded are not part of
    // the block and keep their values on reading.
    QByteArray ToBlock() const;
    void FromBlock(QByteArrayView block);

    // Index in FileMasks of the first entry whose extension equals the
    // argument (both trimmed, A-Z folded), or -1. The extension comes without
    // its dot; an entry with an empty extension matches only the empty text.
    int FindMaskIndex(const QString &extension) const;

    // True when an entry of ExcludeFiles equals the name as a whole, ignoring
    // letter case; no trimming, no wildcards.
    bool IsExcludedFile(const QString &name) const;

    // The folder the constructor gives DefaultFolder, DefaultLogFolder and
    // ProjectPath: the system's temporary folder, ending with the separator.
    static QString InitialFolder();

    // Fields, named after their values in the settings store. Where each is
    // kept (block, store) and who uses it is listed once, in OptionFields.h;
    // a new field goes there too.
    bool UseProxyServer = false;
    bool AutoSaveLog = true;           // defaults only
    bool AutoShutDown = false;         // defaults only
    std::int32_t FileMinSize = 10;     // KB of 1024 bytes, exclusive bound
    std::int32_t FileMaxSize = 10240;  // KB of 1024 bytes, exclusive bound
    std::int32_t SeekDeep = 5;         // pages with a depth below this are scanned
    std::int32_t ProxyServerPort = 80;
    QString ProxyLoginUserName = QStringLiteral("guest");
    QString DefaultFolder;             // a task's save folder; ends with "/"
    QString DefaultLogFolder;          // defaults only
    QString ProxyLoginPassword;        // plain text
    QString ProxyServerAddr = QStringLiteral("192.168.0.1");
    TRegScheme Scheme;
    QStringList ExcludeFiles;
    QStringList FileMasks;             // "extension, folder" entries, order significant
    bool EnableFileLimit = true;
    QString ProjectPath;               // defaults only; not in the block
    bool NeedToLogin = false;          // task only
    QString LoginPassword;             // task only, plain text
    QString LoginUserName;             // task only
    bool DefaultTaskAdded = false;     // defaults only; not in the block
};
