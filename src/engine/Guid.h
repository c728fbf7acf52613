#pragma once

#include <QString>

// A new GUID in the registry's text form: upper-case hex in braces,
// "{0F1E2D3C-...}".
QString NewGuidText();
