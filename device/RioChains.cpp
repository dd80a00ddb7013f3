// SPDX-License-Identifier: GPL-3.0-or-later
// The device's refusals that ask the directory rules, and the write of a
// repaired directory block.
#include "device/DirectoryCheck.h"
#include "device/RioDevice.h"
#include "device/RioImageGuard.h"

#include <cstring>

// A chain read from the player may be corrupt or hostile. An upload walks the
// entry's count of blocks, so every one must lie in the memory (block 0 is
// the directory) and none may come twice (a cycle would never end). A delete
// frees the chain, so it must be exactly what the directory counts, each block
// marked used, the last link 0; and since freeing a block another entry still
// lists destroys that file, no two chains may share a block either.
bool CRioDevice::CheckChain(int slot, bool forUpload)
{
    const CDirectoryCheck check(m_directory, TotalBlocks());
    const SEntryChain& chain = check.Chain(slot);
    int faulty = -1;
    if (forUpload ? !chain.readable : !chain.sound)
        faulty = slot;
    else if (!forUpload)
        faulty = check.FirstNotApart();
    return RefuseChainOf(faulty);
}

// A download writes blocks marked free: it would destroy a file whose chain
// runs through one, or leave two entries on one block.
bool CRioDevice::CheckChainsApart()
{
    return RefuseChainOf(CDirectoryCheck(m_directory, TotalBlocks()).FirstNotApart());
}

// True when faulty is no slot; else the directory error naming its file.
bool CRioDevice::RefuseChainOf(int faulty)
{
    if (faulty < 0)
        return true;
    char name[kRioNameSize + 1];
    DirectoryEntry::Read(EntrySlot(faulty)).GetName(name);
    SetError(kRioErrDirectory, "invalid block chain of file '%s', initialization recommended", name);
    return false;
}

bool CRioDevice::ReplaceDirectory(const uint8_t* image)
{
    CImageGuard guard(*this);
    std::memcpy(m_directory, image, kRioBlockSize);
    m_directoryState = kDirectoryValid;
    if (!WriteDirectory())
        return false;
    guard.Keep();
    return true;
}
