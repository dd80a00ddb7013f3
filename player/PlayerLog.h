// SPDX-License-Identifier: GPL-3.0-or-later
// What the virtual player noticed: protocol violations, faults that struck and
// power events, each stamped with the index of the register access at which it
// happened. Tests read it to see why traffic was rejected.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class EPlayerEvent { Protocol, Fault, Power };

struct SPlayerEvent {
    uint64_t access;        // 1-based index of the register access
    EPlayerEvent kind;
    std::string text;
};

class CPlayerLog {
public:
    // A runaway test could log millions of violations; the first ones tell the story.
    static constexpr size_t kMaxKept = 4096;

    void Add(uint64_t access, EPlayerEvent kind, std::string text);
    void Clear();

    const std::vector<SPlayerEvent>& Events() const { return m_events; }
    // Counts include events beyond kMaxKept that were not kept.
    size_t Count(EPlayerEvent kind) const { return m_counts[static_cast<int>(kind)]; }
    // First kept event of that kind whose text contains the fragment, or null.
    const SPlayerEvent* Find(EPlayerEvent kind, const std::string& fragment) const;
    // All kept events, one per line, for test failure messages.
    std::string Dump() const;

private:
    std::vector<SPlayerEvent> m_events;
    size_t m_counts[3] = {0, 0, 0};
};
