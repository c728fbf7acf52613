#pragma once

#include <QApplication>

// The busy cursor for the length of a scope, also when it ends by an error.
// Never hold one while the user is asked something.
class TBusyCursor
{
public:
    explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) { QApplication::setOverrideCursor(shape); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};
