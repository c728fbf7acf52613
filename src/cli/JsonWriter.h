#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// Writes one line of JSON with the keys in the order they are given (the
// command-line contract fixes the order, which QJsonObject would sort away).
// Commas are placed automatically:
//   JsonWriter json;
//   json.BeginObject().Key("Name").Value(name).EndObject();
//   PrintOut(json.Line());
class JsonWriter
{
public:
    JsonWriter &BeginObject();
    JsonWriter &EndObject();
    JsonWriter &BeginArray();
    JsonWriter &EndArray();
    JsonWriter &Key(const char *key);

    JsonWriter &Value(const QString &text);
    JsonWriter &Value(const char *text) { return Value(QString::fromUtf8(text)); }
    JsonWriter &Value(bool flag);
    JsonWriter &Value(int number) { return Value(std::int64_t(number)); }
    JsonWriter &Value(std::int64_t number);
    JsonWriter &Value(std::uint64_t number);
    // The shortest text that reads back as the same double, always with a
    // fraction or an exponent ("2.0", "1e+300"); NaN and the infinities, which
    // JSON cannot hold, are written as null.
    JsonWriter &Value(double number);
    JsonWriter &Null();
    // An array of texts.
    JsonWriter &Value(const QStringList &texts);

    // The text written so far, and the same followed by a line feed.
    const QByteArray &Text() const { return m_text; }
    QByteArray Line() const { return m_text + '\n'; }

    // A JSON string literal, quotes included (RFC 8259 escaping).
    static QByteArray Quote(const QString &text);
    static QByteArray Number(double number);

private:
    void BeforeValue();

    QByteArray m_text;
    bool m_needComma = false;
};
