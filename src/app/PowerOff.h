#pragma once

#include <memory>

// Powers the computer off. The program has one real implementation (the login
// manager over D-Bus); tests install a recorder so that no test can ever
// power a machine off.
class TPowerOffService
{
public:
    virtual ~TPowerOffService() = default;
    virtual void PowerOff() = 0;
};

// org.freedesktop.login1.Manager.PowerOff(interactive = false) on the system
// bus. A refusal (no permission, no login manager) leaves the computer running
// and is not reported.
class TLogin1PowerOff : public TPowerOffService
{
public:
    void PowerOff() override;
};

// Installs the service ShutdownComputer uses and returns the previous one.
std::unique_ptr<TPowerOffService> SetPowerOffService(std::unique_ptr<TPowerOffService> service);

// Shuts the computer down through the installed service (the login manager
// unless replaced); returns nothing and reports nothing.
void ShutdownComputer();
