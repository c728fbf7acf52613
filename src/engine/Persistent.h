#pragma once

#include <QString>

// Base of the data classes that copy themselves with Assign. A class accepts
// only a source of its own class; anything else raises the assignment error,
// "Cannot assign a <source> to a <target>".
class TPersistent
{
public:
    virtual ~TPersistent() = default;

    virtual void Assign(const TPersistent &source);

    // The class name used in the assignment error.
    virtual QString ClassName() const = 0;

protected:
    TPersistent() = default;
    TPersistent(const TPersistent &) = default;
    TPersistent &operator=(const TPersistent &) = default;

    [[noreturn]] void AssignError(const TPersistent &source) const;
};
