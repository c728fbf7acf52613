#include "cli/JsonWriter.h"

#include <charconv>
#include <cmath>

JsonWriter &JsonWriter::BeginObject()
{
    BeforeValue();
    m_text += '{';
    m_needComma = false;
    return *this;
}

JsonWriter &JsonWriter::EndObject()
{
    m_text += '}';
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::BeginArray()
{
    BeforeValue();
    m_text += '[';
    m_needComma = false;
    return *this;
}

JsonWriter &JsonWriter::EndArray()
{
    m_text += ']';
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Key(const char *key)
{
    BeforeValue();
    m_text += Quote(QString::fromUtf8(key)) + ':';
    m_needComma = false;
    return *this;
}

JsonWriter &JsonWriter::Value(const QString &text)
{
    BeforeValue();
    m_text += Quote(text);
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Value(bool flag)
{
    BeforeValue();
    m_text += flag ? "true" : "false";
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Value(std::int64_t number)
{
    BeforeValue();
    m_text += QByteArray::number(static_cast<qlonglong>(number));
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Value(std::uint64_t number)
{
    BeforeValue();
    m_text += QByteArray::number(static_cast<qulonglong>(number));
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Value(double number)
{
    BeforeValue();
    m_text += Number(number);
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    m_needComma = true;
    return *this;
}

JsonWriter &JsonWriter::Value(const QStringList &texts)
{
    BeginArray();
    for (const QString &text : texts)
        Value(text);
    return EndArray();
}

void JsonWriter::BeforeValue()
{
    if (m_needComma)
        m_text += ',';
}

QByteArray JsonWriter::Quote(const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

QByteArray JsonWriter::Number(double number)
{
    if (!std::isfinite(number))
        return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    QByteArray text(buffer, result.ptr - buffer);
    // Keep a float a float for readers that tell 2 from 2.0.
    if (!text.contains('.') && !text.contains('e'))
        text += ".0";
    return text;
}
