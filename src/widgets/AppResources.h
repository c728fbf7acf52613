#pragma once

// Registers the pictures, glyphs and help pages compiled into this library
// (AppResources.qrc). A static library's resources are only linked in when
// something refers to them, so every window that shows them calls this first.
void InitAppResources();
