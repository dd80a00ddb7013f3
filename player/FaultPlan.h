// SPDX-License-Identifier: GPL-3.0-or-later
// The faults a virtual player suffers, all in one object so that a test switches
// them on by name and each player keeps its own. Pages are numbered per memory:
// on the internal memory page p of chip c is c * pages-per-chip + p, on the card
// the chip's own page number.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

enum class EMemory { Internal = 0, Card = 1 };

// Where a chip can hang with its ready line low.
enum class EFaultPhase {
    Erase,        // after the erase confirm
    Program,      // after the program confirm
    ReadAddress,  // while loading the page named by a read address
    AfterPage,    // while loading the next page after the last byte of a page was read
};

enum class ECutMode {
    BetweenOperations,  // power goes exactly after the chosen access
    TornProgram,        // the first page program confirmed from then on stores a prefix only
    TornErase,          // the first erase confirmed from then on clears part of its unit only
};

class CFaultPlan {
public:
    static constexpr int kForever = -1;
    static constexpr uint64_t kNoCut = UINT64_MAX;

    explicit CFaultPlan(uint32_t seed = 1);

    // A chip never becomes ready when it reaches the phase: the first `skip`
    // matching operations pass, the next `times` hang (kForever: all of them).
    // A hung chip wakes from it at its next flash command.
    void AddNeverReady(EFaultPhase phase, int times = kForever, int skip = 0);
    void AddNeverReadyAt(EFaultPhase phase, EMemory memory, uint32_t page,
                         int times = kForever, int skip = 0);

    // Pages that do not hold what is programmed: one data bit stuck at 0 and one
    // at 1 in each page, so that neither test pattern survives.
    void AddBadPages(EMemory memory, uint32_t firstPage, uint32_t count);
    void AddBadBlock(EMemory memory, uint32_t block) { AddBadPages(memory, block * 64, 64); }
    // The erase unit that holds `page` turns bad once erased more than `erases` times.
    void AddWeakUnit(EMemory memory, uint32_t page, int erases);
    // The page turns bad once programmed more than `programs` times.
    void AddWeakPage(EMemory memory, uint32_t page, int programs);

    // Reading the page shows the byte at `column` with the bits of `mask` flipped,
    // `times` times (kForever: always). The stored page is not changed.
    void AddReadFlip(EMemory memory, uint32_t page, uint32_t column, uint8_t mask,
                     int times = kForever);
    // The byte at `column` of every program of the page arrives at the chip with
    // the bits of `mask` flipped, `times` times (kForever: always): a fault of the
    // cable, not of the flash, which stores faithfully what arrived.
    void AddWireFlip(EMemory memory, uint32_t page, uint32_t column, uint8_t mask, int times = kForever);
    // On average one flipped bit per `oneInBytes` bytes read; 0 switches it off.
    void SetRandomReadFlips(uint32_t oneInBytes);

    // The card's slot reads as empty, whatever card the player was built with.
    void SetCardMissing(bool missing) { m_cardMissing = missing; }
    bool CardMissing() const { return m_cardMissing; }

    // Power fails after `accesses` register accesses counted from the player's
    // start (see ECutMode). One-shot: it is cleared when it strikes.
    void CutPowerAfter(uint64_t accesses, ECutMode mode);
    void CancelPowerCut() { m_cutAfter = kNoCut; }
    uint64_t CutAfter() const { return m_cutAfter; }
    ECutMode CutMode() const { return m_cutMode; }

    // Everything off again (the random generator keeps its state).
    void Clear();

    // ---- used by the chips ----
    // True when an operation at this phase and page hangs; counts the match.
    bool StrikeNeverReady(EFaultPhase phase, EMemory memory, uint32_t page);
    // Counts an erase or program for the weak units and pages.
    void NoteErase(EMemory memory, uint32_t firstPage, uint32_t count);
    void NoteProgram(EMemory memory, uint32_t page);
    bool HasBadPages() const { return !m_bad.empty() || !m_weakUnits.empty() || !m_weakPages.empty(); }
    bool IsBadPage(EMemory memory, uint32_t page) const;
    // Forces the stuck bits of a bad page onto its 528 bytes.
    void ApplyStuckBits(EMemory memory, uint32_t page, uint8_t* bytes) const;
    bool HasReadFlips() const { return !m_flips.empty() || m_flipOneIn != 0; }
    // Flips bits of a copy of a page being read; returns the number of bits flipped.
    int ApplyReadFlips(EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n);
    bool HasWireFlips() const { return !m_wireFlips.empty(); }
    // Flips bits of the n bytes of a page program that arrived; returns the number flipped.
    int ApplyWireFlips(EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n);
    // Uniform in [0, n).
    uint32_t Random(uint32_t n) { return n ? static_cast<uint32_t>(m_rng() % n) : 0; }

private:
    struct SNeverReady {
        EFaultPhase phase;
        bool anyPage;
        EMemory memory;
        uint32_t page;
        int times;
        int skip;
    };
    struct SRange {
        EMemory memory;
        uint32_t first;
        uint32_t count;
        bool Holds(EMemory m, uint32_t p) const { return m == memory && p >= first && p - first < count; }
    };
    struct SWeak {
        SRange range;
        int limit;
        int used = 0;
    };
    struct SFlip {
        EMemory memory;
        uint32_t page;
        uint32_t column;
        uint8_t mask;
        int times;
    };

    static int ApplyFlips(std::vector<SFlip>& flips, EMemory memory, uint32_t page, uint8_t* bytes, uint32_t n);

    uint32_t m_seed;
    std::mt19937 m_rng;
    std::vector<SNeverReady> m_neverReady;
    std::vector<SRange> m_bad;
    std::vector<SWeak> m_weakUnits;
    std::vector<SWeak> m_weakPages;
    std::vector<SFlip> m_flips;
    std::vector<SFlip> m_wireFlips;
    uint32_t m_flipOneIn = 0;
    bool m_cardMissing = false;
    uint64_t m_cutAfter = kNoCut;
    ECutMode m_cutMode = ECutMode::BetweenOperations;
};
