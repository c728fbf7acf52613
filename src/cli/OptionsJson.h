#pragma once

#include "cli/JsonWriter.h"
#include "engine/RegOptions.h"

// The "Options" object of the command-line contract, keys in the order of
// the option field table. `task show` writes the fields a project file
// holds; `settings show` adds the two fields only the default options use.
void WriteOptionsFields(JsonWriter &json, const TRegOptions &options);
// The fields only the settings store holds: "ProjectPath", "DefaultTaskAdded".
void WriteStoreOnlyFields(JsonWriter &json, const TRegOptions &options);
// { the fields above }
void WriteOptions(JsonWriter &json, const TRegOptions &options);
