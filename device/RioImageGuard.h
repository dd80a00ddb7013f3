// SPDX-License-Identifier: GPL-3.0-or-later
// The all-or-nothing rule of the device operations (and, below, the release
// of the link at the end of each): an operation that changes
// the directory image saves it first; unless the operation keeps its changes,
// the saved image (and what the image was) comes back when it returns. So a
// failure part-way leaves the image exactly as it was, and blocks that were
// already programmed stay unreferenced and free.
#pragma once
#include <cstring>

#include "device/RioDevice.h"

class CRioDevice::CImageGuard {
public:
    explicit CImageGuard(CRioDevice& device) : m_device(device), m_state(device.m_directoryState)
    {
        std::memcpy(m_image, device.m_directory, kRioBlockSize);
    }
    ~CImageGuard()
    {
        if (m_kept)
            return;
        std::memcpy(m_device.m_directory, m_image, kRioBlockSize);
        m_device.m_directoryState = m_state;
    }
    CImageGuard(const CImageGuard&) = delete;
    CImageGuard& operator=(const CImageGuard&) = delete;

    // The operation succeeded (or reached a state the player now holds).
    void Keep() { m_kept = true; }

private:
    CRioDevice& m_device;
    EDirectoryState m_state;
    bool m_kept = false;
    uint8_t m_image[kRioBlockSize];
};

// Releases the link when the operation returns, unless it is released already.
class CRioDevice::CLinkGuard {
public:
    explicit CLinkGuard(CRioDevice& device) : m_device(device) {}
    ~CLinkGuard()
    {
        if (m_device.m_linkOpen)
            m_device.ReleaseLink();
    }
    CLinkGuard(const CLinkGuard&) = delete;
    CLinkGuard& operator=(const CLinkGuard&) = delete;

private:
    CRioDevice& m_device;
};
