#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The per-user settings store: registry keys and values kept in one text file
// of the REGEDIT4 format in the program's home,
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\TORVELLAN\ZAV\Window]
//   "Left"=dword:00000000
//   "DefaultFolder"="/home/me/Zavelon/Images/Downloaded Files/"
//   "SchemeStartDate"=hex:00,00,00,00,00,00,00,00
//
// Key paths and value names compare without regard to letter case, as the
// registry does; each keeps the spelling it was created with. Values keep the
// order in which they were first written: that is their enumeration order.

// Registry data types, numbered as the registry numbers them; a value of any
// other number is kept as it was read ("hex(N):").
enum TRegDataType : quint32 {
    rdString = 1, // REG_SZ, text
    rdBinary = 3, // REG_BINARY, raw bytes
    rdInteger = 4, // REG_DWORD, 32-bit little-endian
};

struct TRegValue {
    QString Name; // empty for the key's default value ("@")
    quint32 Type = rdString;
    QByteArray Data; // UTF-8 text (no NUL) for rdString; raw bytes otherwise

    bool operator==(const TRegValue &) const = default;
};

struct TRegKey {
    QString Path; // full path, root included: "HKEY_CURRENT_USER\Software"
    QList<TRegValue> Values;

    bool operator==(const TRegKey &) const = default;
};

class TRegistryStore
{
public:
    explicit TRegistryStore(const QString &fileName);

    const QString &FileName() const { return m_fileName; }

    // Replaces the contents with the file's. A missing file gives an empty
    // store. A file that cannot be read or parsed is renamed aside (see
    // DamagedCopy) and the store starts empty, as on a first start, so the
    // next commit never overwrites what the user had.
    void Load();
    // Where Load put a damaged file, or empty when the last Load found none;
    // and what was wrong with it.
    const QString &DamagedCopy() const { return m_damagedCopy; }
    const QString &DamageReason() const { return m_damageReason; }

    // Writes the whole store to its file: a temporary file beside it with mode
    // 0600 (the store holds passwords), then renamed over it, so a reader
    // never sees half a file. `durable` also waits until the disk has it.
    // Throws EZavelonError naming the file when it cannot be written, or when
    // a damaged file could not be kept aside (writing would destroy it).
    void Commit(bool durable = true) const;

    // --- The tree of keys, by full path ("ROOT\A\B", no leading backslash).
    bool KeyExists(const QString &path) const;
    // Creates the key and every missing parent; an existing key is kept.
    void CreateKey(const QString &path);
    // Removes the key and all keys below it; false when it did not exist.
    bool DeleteKey(const QString &path);
    const QList<TRegKey> &Keys() const { return m_keys; }
    // Puts back a copy of Keys() taken earlier (to undo a change that could
    // not be committed).
    void RestoreKeys(const QList<TRegKey> &keys) { m_keys = keys; }

    // --- Values of one key (which must exist for SetValue).
    const TRegValue *FindValue(const QString &keyPath, const QString &name) const;
    // Replaces a value of the same name in place, else appends it.
    void SetValue(const QString &keyPath, const TRegValue &value);
    QStringList ValueNames(const QString &keyPath) const;

    // --- The file format. Parsing throws EZavelonError naming the line at
    // fault; formatting gives text that parses back to the same keys.
    static QList<TRegKey> ParseText(const QByteArray &text);
    static QByteArray FormatText(const QList<TRegKey> &keys);

private:
    qsizetype IndexOfKey(const QString &path) const;
    qsizetype InsertPosition(const QString &path) const;
    void KeepAside(const QString &reason);

    QString m_fileName;
    QString m_damagedCopy;
    QString m_damageReason;
    bool m_commitBlocked = false;
    QList<TRegKey> m_keys;
};

// The text of a registry key path with empty components and surrounding
// backslashes removed ("\Software\\ZAV\" -> "Software\ZAV").
QString NormalizeKeyPath(const QString &path);
