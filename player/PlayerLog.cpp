// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/PlayerLog.h"

void CPlayerLog::Add(uint64_t access, EPlayerEvent kind, std::string text)
{
    ++m_counts[static_cast<int>(kind)];
    if (m_events.size() < kMaxKept)
        m_events.push_back({access, kind, std::move(text)});
}

void CPlayerLog::Clear()
{
    m_events.clear();
    m_counts[0] = m_counts[1] = m_counts[2] = 0;
}

const SPlayerEvent* CPlayerLog::Find(EPlayerEvent kind, const std::string& fragment) const
{
    for (const SPlayerEvent& e : m_events)
        if (e.kind == kind && e.text.find(fragment) != std::string::npos)
            return &e;
    return nullptr;
}

std::string CPlayerLog::Dump() const
{
    static const char* const names[] = {"protocol", "fault", "power"};
    std::string out;
    for (const SPlayerEvent& e : m_events) {
        out += "@" + std::to_string(e.access) + " " + names[static_cast<int>(e.kind)] + ": " +
               e.text + "\n";
    }
    return out;
}
