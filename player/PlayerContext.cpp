// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/PlayerContext.h"

#include <cstdarg>
#include <cstdio>

void CPlayerContext::Note(EPlayerEvent kind, const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    log.Add(accesses, kind, text);
}

void CPlayerContext::CutPower(const char* why)
{
    powered = false;
    tearArmed = false;
    faults.CancelPowerCut();
    Note(EPlayerEvent::Power, "power cut (%s)", why);
}
