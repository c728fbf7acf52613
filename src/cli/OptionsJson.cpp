#include "cli/OptionsJson.h"

#include "engine/OptionFields.h"

namespace {

void WriteValue(JsonWriter &json, bool value)
{
    json.Value(value);
}
void WriteValue(JsonWriter &json, std::int32_t value)
{
    json.Value(int(value));
}
void WriteValue(JsonWriter &json, std::uint8_t value)
{
    json.Value(int(value));
}
void WriteValue(JsonWriter &json, double value)
{
    json.Value(value);
}
void WriteValue(JsonWriter &json, const QString &value)
{
    json.Value(value);
}
void WriteValue(JsonWriter &json, const QStringList &value)
{
    json.Value(value);
}

// The fields `which` selects, in the table's order; the schedule's fields go
// into an object "Scheme" of their own.
void WriteFields(JsonWriter &json, const TRegOptions &options, bool (*which)(const TOptionField &))
{
    bool inScheme = false;
    for (const TOptionField &field : OptionFields()) {
        if (!which(field))
            continue;
        if (field.InScheme() != inScheme) {
            if (field.InScheme())
                json.Key(kSchemeGroup).BeginObject();
            else
                json.EndObject();
            inScheme = field.InScheme();
        }
        json.Key(field.Name);
        field.Visit(options, [&](const auto &value) { WriteValue(json, value); });
    }
    if (inScheme)
        json.EndObject();
}

bool InBlock(const TOptionField &field)
{
    return field.InBlock();
}

bool StoreOnly(const TOptionField &field)
{
    return !field.InBlock();
}

} // namespace

void WriteOptionsFields(JsonWriter &json, const TRegOptions &options)
{
    WriteFields(json, options, InBlock);
}

void WriteStoreOnlyFields(JsonWriter &json, const TRegOptions &options)
{
    WriteFields(json, options, StoreOnly);
}

void WriteOptions(JsonWriter &json, const TRegOptions &options)
{
    json.BeginObject();
    WriteOptionsFields(json, options);
    json.EndObject();
}
