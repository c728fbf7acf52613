#include "settings/RegistryStore.h"

#include "engine/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray kHeader = QByteArrayLiteral("REGEDIT4");
const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
// Far above anything the program writes (a few hundred KB with every list
// full); a bigger file is not a store of ours.
constexpr qint64 kMaxStoreSize = 16 * 1024 * 1024;

[[noreturn]] void FailAt(qsizetype line, const QString &why)
{
    throw EZavelonError(QStringLiteral("line %1: %2").arg(line).arg(why));
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

bool HasControlByte(const QByteArray &bytes)
{
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return true;
    }
    return false;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A number of 1 to `maxDigits` hex digits and nothing else.
bool ParseHexNumber(const QByteArray &text, int maxDigits, quint32 &value)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<quint32>(digit);
    }
    return true;
}

// "00,1f,ab": bytes of one or two hex digits separated by commas.
bool ParseHexBytes(const QByteArray &text, QByteArray &bytes)
{
    bytes.clear();
    const QByteArray list = text.trimmed();
    if (list.isEmpty())
        return true;
    for (const QByteArray &part : list.split(',')) {
        quint32 value = 0;
        if (!ParseHexNumber(part.trimmed(), 2, value))
            return false;
        bytes += static_cast<char>(value);
    }
    return true;
}

// A quoted text starting at text[pos]; only \\ and \" are escapes. On success
// pos is just after the closing quote.
bool TakeQuoted(const QByteArray &text, qsizetype &pos, QByteArray &out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (++pos >= text.size())
                return false;
            c = text[pos];
            if (c != '\\' && c != '"')
                return false;
        }
        out += c;
    }
    return false;
}

QByteArray Quoted(const QByteArray &text)
{
    QByteArray out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

QByteArray HexList(const QByteArray &bytes)
{
    return bytes.toHex(',');
}

bool StartsWithNoCase(const QByteArray &text, const char *prefix)
{
    return text.left(static_cast<qsizetype>(std::strlen(prefix))).toLower() == prefix;
}

// The typed data after "=": "text", dword:..., hex:..., hex(N):...
void ParseData(const QByteArray &data, qsizetype line, TRegValue &value)
{
    if (data.startsWith('"')) {
        qsizetype pos = 0;
        QByteArray text;
        if (!TakeQuoted(data, pos, text) || pos != data.size())
            FailAt(line, QStringLiteral("a text value is not properly quoted"));
        if (text.contains('\0'))
            FailAt(line, QStringLiteral("a text value holds a NUL byte"));
        value.Type = rdString;
        value.Data = text;
        return;
    }
    if (StartsWithNoCase(data, "dword:")) {
        quint32 number = 0;
        if (!ParseHexNumber(data.mid(6), 8, number))
            FailAt(line, QStringLiteral("a dword value is not 1 to 8 hex digits"));
        value.Type = rdInteger;
        value.Data = QByteArray(4, '\0');
        for (int i = 0; i < 4; ++i)
            value.Data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
        return;
    }
    quint32 type = rdBinary;
    qsizetype listStart = 0;
    if (StartsWithNoCase(data, "hex:")) {
        listStart = 4;
    } else if (StartsWithNoCase(data, "hex(")) {
        const qsizetype close = data.indexOf("):");
        if (close < 0 || !ParseHexNumber(data.mid(4, close - 4), 8, type))
            FailAt(line, QStringLiteral("a hex(type) value has no valid type"));
        listStart = close + 2;
    } else {
        FailAt(line, QStringLiteral("unknown value data"));
    }
    QByteArray bytes;
    if (!ParseHexBytes(data.mid(listStart), bytes))
        FailAt(line, QStringLiteral("a hex value holds something that is not a byte"));
    value.Type = type;
    value.Data = bytes;
    if (type == rdString) { // text written as bytes: up to its NUL
        const qsizetype nul = bytes.indexOf('\0');
        value.Data = nul < 0 ? bytes : bytes.left(nul);
    }
}

QByteArray FormatData(const TRegValue &value)
{
    if (value.Type == rdString) {
        // Control characters cannot stand inside a quoted REGEDIT4 text, so
        // such a text goes as its bytes with the terminating NUL.
        if (HasControlByte(value.Data))
            return "hex(1):" + HexList(value.Data + '\0');
        return Quoted(value.Data);
    }
    if (value.Type == rdInteger && value.Data.size() == 4) {
        quint32 number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(value.Data[i]);
        return "dword:" + QByteArray::number(number, 16).rightJustified(8, '0');
    }
    if (value.Type == rdBinary)
        return "hex:" + HexList(value.Data);
    return "hex(" + QByteArray::number(value.Type, 16) + "):" + HexList(value.Data);
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void SyncFolderOf(const QString &fileName)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void WriteFileAtomically(const QString &fileName, const QByteArray &bytes, bool durable)
{
    const auto failure = [&](const QString &why) {
        return EZavelonError(QStringLiteral("Cannot write the settings store %1: %2").arg(fileName, why));
    };
    // The temporary file is created with mode 0600, so the passwords in it
    // are never readable by others, not even for a moment.
    QTemporaryFile temp(fileName + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        throw failure(temp.errorString());
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        throw failure(temp.errorString());
    if (durable && ::fsync(temp.handle()) != 0)
        throw failure(ErrnoText());
    temp.close();
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(fileName).constData()) != 0)
        throw failure(ErrnoText());
    temp.setAutoRemove(false); // renamed: nothing left to remove
    if (durable)
        SyncFolderOf(fileName);
}

} // namespace

QString NormalizeKeyPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

TRegistryStore::TRegistryStore(const QString &fileName)
    : m_fileName(fileName)
{
}

void TRegistryStore::Load()
{
    m_keys.clear();
    m_damagedCopy.clear();
    m_damageReason.clear();
    m_commitBlocked = false;
    QFile file(m_fileName);
    if (!QFileInfo(m_fileName).exists() && !QFileInfo(m_fileName).isSymLink())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        KeepAside(file.errorString());
        return;
    }
    const QByteArray text = file.read(kMaxStoreSize + 1);
    file.close();
    if (text.size() > kMaxStoreSize) {
        KeepAside(QStringLiteral("larger than %1 bytes").arg(kMaxStoreSize));
        return;
    }
    try {
        m_keys = ParseText(text);
    } catch (const EZavelonError &error) {
        KeepAside(error.message());
    }
}

void TRegistryStore::KeepAside(const QString &reason)
{
    m_keys.clear();
    m_damageReason = reason;
    // An older damaged copy is never replaced: each gets a name of its own.
    QString target = m_fileName + QStringLiteral(".bad");
    for (int n = 1; QFileInfo(target).exists() || QFileInfo(target).isSymLink(); ++n)
        target = m_fileName + QStringLiteral(".bad.") + QString::number(n);
    if (QFile::rename(m_fileName, target))
        m_damagedCopy = target;
    else
        m_commitBlocked = true;
}

void TRegistryStore::Commit(bool durable) const
{
    if (m_commitBlocked) {
        throw EZavelonError(QStringLiteral("The settings store %1 is damaged (%2) and could not be kept aside, "
                                           "so it is not written over")
                                .arg(m_fileName, m_damageReason));
    }
    WriteFileAtomically(m_fileName, FormatText(m_keys), durable);
}

qsizetype TRegistryStore::IndexOfKey(const QString &path) const
{
    const QString normal = NormalizeKeyPath(path);
    for (qsizetype i = 0; i < m_keys.size(); ++i) {
        if (SameName(m_keys[i].Path, normal))
            return i;
    }
    return -1;
}

bool TRegistryStore::KeyExists(const QString &path) const
{
    return IndexOfKey(path) >= 0;
}

// A new key goes right after its parent's last descendant, so the file lists
// the tree in order whatever order keys are made in.
qsizetype TRegistryStore::InsertPosition(const QString &path) const
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    const qsizetype parent = slash < 0 ? -1 : IndexOfKey(path.left(slash));
    if (parent < 0)
        return m_keys.size();
    const QString prefix = m_keys[parent].Path + QLatin1Char('\\');
    qsizetype at = parent + 1;
    while (at < m_keys.size() && m_keys[at].Path.startsWith(prefix, Qt::CaseInsensitive))
        ++at;
    return at;
}

void TRegistryStore::CreateKey(const QString &path)
{
    const QString normal = NormalizeKeyPath(path);
    if (normal.isEmpty() || HasControlCharacter(normal))
        throw EZavelonError(QStringLiteral("Invalid registry key '%1'").arg(path));
    const QStringList parts = normal.split(QLatin1Char('\\'));
    QString prefix;
    for (const QString &part : parts) {
        prefix += (prefix.isEmpty() ? QString() : QStringLiteral("\\")) + part;
        const qsizetype present = IndexOfKey(prefix);
        if (present >= 0)
            prefix = m_keys[present].Path; // a parent keeps its own spelling
        else
            m_keys.insert(InsertPosition(prefix), TRegKey{prefix, {}});
    }
}

bool TRegistryStore::DeleteKey(const QString &path)
{
    const QString normal = NormalizeKeyPath(path);
    if (normal.isEmpty())
        return false;
    const QString prefix = normal + QLatin1Char('\\');
    const qsizetype removed = m_keys.removeIf([&](const TRegKey &key) {
        return SameName(key.Path, normal) || key.Path.startsWith(prefix, Qt::CaseInsensitive);
    });
    return removed > 0;
}

const TRegValue *TRegistryStore::FindValue(const QString &keyPath, const QString &name) const
{
    const qsizetype index = IndexOfKey(keyPath);
    if (index < 0)
        return nullptr;
    for (const TRegValue &value : m_keys[index].Values) {
        if (SameName(value.Name, name))
            return &value;
    }
    return nullptr;
}

void TRegistryStore::SetValue(const QString &keyPath, const TRegValue &value)
{
    const qsizetype index = IndexOfKey(keyPath);
    if (index < 0)
        throw EZavelonError(QStringLiteral("No registry key '%1'").arg(keyPath));
    if (HasControlCharacter(value.Name))
        throw EZavelonError(QStringLiteral("Invalid registry value name '%1'").arg(value.Name));
    QList<TRegValue> &values = m_keys[index].Values;
    for (TRegValue &present : values) {
        if (SameName(present.Name, value.Name)) {
            present = value;
            return;
        }
    }
    values.append(value);
}

QStringList TRegistryStore::ValueNames(const QString &keyPath) const
{
    QStringList names;
    const qsizetype index = IndexOfKey(keyPath);
    if (index >= 0) {
        for (const TRegValue &value : m_keys[index].Values)
            names << value.Name;
    }
    return names;
}

QList<TRegKey> TRegistryStore::ParseText(const QByteArray &input)
{
    const QByteArray text = input.startsWith(kUtf8Bom) ? input.mid(kUtf8Bom.size()) : input;
    const QList<QByteArray> lines = text.split('\n');
    const auto lineAt = [&](qsizetype i) { return lines[i].trimmed(); }; // also drops a CR
    QList<TRegKey> keys;
    qsizetype current = -1;
    bool sawHeader = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype lineNo = i + 1;
        const QByteArray line = lineAt(i);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (!sawHeader) {
            if (line != kHeader)
                FailAt(lineNo, QStringLiteral("the file does not begin with REGEDIT4"));
            sawHeader = true;
            continue;
        }
        if (line.startsWith('[')) {
            const QString path = NormalizeKeyPath(QString::fromUtf8(line.mid(1, line.size() - 2)));
            if (!line.endsWith(']') || path.isEmpty() || path.startsWith(QLatin1Char('-')))
                FailAt(lineNo, QStringLiteral("a key line is not of the form [path]"));
            current = -1;
            for (qsizetype k = 0; k < keys.size() && current < 0; ++k) {
                if (SameName(keys[k].Path, path))
                    current = k;
            }
            if (current < 0) {
                keys.append(TRegKey{path, {}});
                current = keys.size() - 1;
            }
            continue;
        }
        if (current < 0)
            FailAt(lineNo, QStringLiteral("a value before the first key"));
        TRegValue value;
        qsizetype pos = 0;
        QByteArray name;
        if (line.startsWith('@'))
            pos = 1;
        else if (!TakeQuoted(line, pos, name) || name.contains('\0'))
            FailAt(lineNo, QStringLiteral("a value name is not properly quoted"));
        value.Name = QString::fromUtf8(name);
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            FailAt(lineNo, QStringLiteral("a value name is not followed by '='"));
        QByteArray data = line.mid(pos + 1).trimmed();
        // Long hex lists go on over lines that end with a backslash.
        while (StartsWithNoCase(data, "hex") && data.endsWith('\\') && i + 1 < lines.size()) {
            data.chop(1);
            data += lineAt(++i);
        }
        ParseData(data, lineNo, value);
        QList<TRegValue> &values = keys[current].Values;
        const auto same = std::find_if(values.begin(), values.end(),
                                       [&](const TRegValue &v) { return SameName(v.Name, value.Name); });
        if (same != values.end())
            *same = value;
        else
            values.append(value);
    }
    if (!sawHeader)
        FailAt(lines.size(), QStringLiteral("the file does not begin with REGEDIT4"));
    return keys;
}

QByteArray TRegistryStore::FormatText(const QList<TRegKey> &keys)
{
    QByteArray out = kHeader + '\n';
    for (const TRegKey &key : keys) {
        out += "\n[" + key.Path.toUtf8() + "]\n";
        for (const TRegValue &value : key.Values) {
            out += value.Name.isEmpty() ? QByteArray("@") : Quoted(value.Name.toUtf8());
            out += '=' + FormatData(value) + '\n';
        }
    }
    return out;
}
