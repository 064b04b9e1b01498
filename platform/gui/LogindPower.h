#pragma once
#include "platform/gui/Power.h"

// Power-off through systemd-logind on the system bus (org.freedesktop.login1).
class LogindPower : public Power {
public:
    void shutDown() override;
};
