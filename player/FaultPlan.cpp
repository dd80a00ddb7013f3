// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/FaultPlan.h"

namespace {

uint32_t Mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

}  // namespace

CFaultPlan::CFaultPlan(uint32_t seed) : m_seed(seed), m_rng(seed) {}

void CFaultPlan::AddNeverReady(EFaultPhase phase, int times, int skip)
{
    m_neverReady.push_back({phase, true, EMemory::Internal, 0, times, skip});
}

void CFaultPlan::AddNeverReadyAt(EFaultPhase phase, EMemory memory, uint32_t page, int times, int skip)
{
    m_neverReady.push_back({phase, false, memory, page, times, skip});
}

void CFaultPlan::AddBadPages(EMemory memory, uint32_t firstPage, uint32_t count)
{
    m_bad.push_back({memory, firstPage, count});
}

void CFaultPlan::AddWeakUnit(EMemory memory, uint32_t page, int erases)
{
    // The unit's extent is only known to the chip; record the page and widen on erase.
    m_weakUnits.push_back({{memory, page, 1}, erases});
}

void CFaultPlan::AddWeakPage(EMemory memory, uint32_t page, int programs)
{
    m_weakPages.push_back({{memory, page, 1}, programs});
}

void CFaultPlan::AddReadFlip(EMemory memory, uint32_t page, uint32_t column, uint8_t mask, int times)
{
    m_flips.push_back({memory, page, column, mask, times});
}

void CFaultPlan::AddWireFlip(EMemory memory, uint32_t page, uint32_t column, uint8_t mask, int times)
{
    m_wireFlips.push_back({memory, page, column, mask, times});
}

void CFaultPlan::SetRandomReadFlips(uint32_t oneInBytes)
{
    m_flipOneIn = oneInBytes;
}

void CFaultPlan::CutPowerAfter(uint64_t accesses, ECutMode mode)
{
    m_cutAfter = accesses;
    m_cutMode = mode;
}

void CFaultPlan::Clear()
{
    m_neverReady.clear();
    m_bad.clear();
    m_weakUnits.clear();
    m_weakPages.clear();
    m_flips.clear();
    m_wireFlips.clear();
    m_flipOneIn = 0;
    m_cardMissing = false;
    m_cutAfter = kNoCut;
}

bool CFaultPlan::StrikeNeverReady(EFaultPhase phase, EMemory memory, uint32_t page)
{
    for (SNeverReady& f : m_neverReady) {
        if (f.phase != phase || (!f.anyPage && (f.memory != memory || f.page != page)))
            continue;
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        if (f.times == 0)
            continue;
        if (f.times > 0)
            --f.times;
        return true;
    }
    return false;
}

void CFaultPlan::NoteErase(EMemory memory, uint32_t firstPage, uint32_t count)
{
    for (SWeak& w : m_weakUnits) {
        if (w.range.memory != memory || w.range.first < firstPage || w.range.first - firstPage >= count)
            continue;
        w.range.first = firstPage;  // the whole unit goes bad, not only the page named
        w.range.count = count;
        ++w.used;
    }
}

void CFaultPlan::NoteProgram(EMemory memory, uint32_t page)
{
    for (SWeak& w : m_weakPages)
        if (w.range.Holds(memory, page))
            ++w.used;
}

bool CFaultPlan::IsBadPage(EMemory memory, uint32_t page) const
{
    for (const SRange& r : m_bad)
        if (r.Holds(memory, page))
            return true;
    for (const SWeak& w : m_weakUnits)
        if (w.used > w.limit && w.range.Holds(memory, page))
            return true;
    for (const SWeak& w : m_weakPages)
        if (w.used > w.limit && w.range.Holds(memory, page))
            return true;
    return false;
}

void CFaultPlan::ApplyStuckBits(EMemory memory, uint32_t page, uint8_t* bytes) const
{
    // Fixed per page and seed, so a bad page fails the same way every time.
    const uint32_t h = Mix(m_seed * 0x9E3779B9u ^ (page * 2 + static_cast<uint32_t>(memory)));
    const uint32_t low = h % 512;
    const uint32_t high = (low + 1 + (h >> 9) % 511) % 512;
    const uint8_t bit = static_cast<uint8_t>(1u << ((h >> 20) % 8));
    bytes[low] &= static_cast<uint8_t>(~bit);
    bytes[high] |= bit;
}

int CFaultPlan::ApplyFlips(std::vector<SFlip>& flips, EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n)
{
    int flipped = 0;
    for (SFlip& f : flips) {
        if (f.memory != memory || f.page != page || f.column >= n || f.times == 0)
            continue;
        if (f.times > 0)
            --f.times;
        bytes[f.column] ^= f.mask;
        ++flipped;
    }
    return flipped;
}

int CFaultPlan::ApplyWireFlips(EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n)
{
    return ApplyFlips(m_wireFlips, memory, page, bytes, n);
}

int CFaultPlan::ApplyReadFlips(EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n)
{
    int flipped = ApplyFlips(m_flips, memory, page, bytes, n);
    if (m_flipOneIn != 0) {
        for (uint32_t i = 0; i < n; ++i) {
            if (Random(m_flipOneIn) == 0) {
                bytes[i] ^= static_cast<uint8_t>(1u << Random(8));
                ++flipped;
            }
        }
    }
    return flipped;
}
