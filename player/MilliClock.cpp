// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/MilliClock.h"

#include <thread>

void CMilliClock::SetRealTime(bool on)
{
    m_realTime = on;
    m_paceStartUs = m_us;
    m_paceStart = std::chrono::steady_clock::now();
}

void CMilliClock::Pace()
{
    if (!m_realTime)
        return;
    const auto modelled = std::chrono::microseconds(m_us - m_paceStartUs);
    const auto real = std::chrono::steady_clock::now() - m_paceStart;
    // Sleep only for noticeable leads: sleeping costs far more than one access.
    if (modelled - real > std::chrono::milliseconds(2))
        std::this_thread::sleep_for(modelled - real);
}
