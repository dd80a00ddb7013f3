// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/InpOutPortIO.h"

#include <string>

namespace {
using DriverOpenFunction = BOOL(WINAPI*)();

constexpr const char* kDllName = "inpout32.dll";

// The folder of a path, with its trailing backslash; empty when it has none.
std::string FolderOf(const char* path)
{
    const std::string text = path;
    const size_t slash = text.find_last_of('\\');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

// The DLL beside the program, else in the system's folder; never from the
// current directory or the search path, where anybody's file may lie: it
// installs a kernel driver as it loads.
HMODULE LoadDriverDll()
{
    char path[MAX_PATH + 1] = "";
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::string folder = FolderOf(path);
        if (!folder.empty())
            if (HMODULE module = ::LoadLibraryA((folder + kDllName).c_str()))
                return module;
    }
    const UINT system = ::GetSystemDirectoryA(path, MAX_PATH);
    if (system == 0 || system >= MAX_PATH)
        return nullptr;
    return ::LoadLibraryA((std::string(path) + "\\" + kDllName).c_str());
}
}  // namespace

CInpOutPortIO::CInpOutPortIO() : m_start(::GetTickCount())
{
    m_module = LoadDriverDll();
    if (m_module == nullptr)
        return;
    m_inp = reinterpret_cast<InpFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "Inp32")));
    m_out = reinterpret_cast<OutFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "Out32")));
    // Newer versions tell whether their driver could be opened (it needs
    // administrator rights once, and current Windows may block it). Without
    // it reads give 0 and writes vanish: the backend is not used, so that the
    // user hears that the port cannot be reached rather than that no player
    // answers.
    const auto driverOpen = reinterpret_cast<DriverOpenFunction>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "IsInpOutDriverOpen")));
    if (driverOpen != nullptr && !driverOpen()) {
        m_inp = nullptr;
        m_out = nullptr;
    }
    if (!IsLoaded()) {
        ::FreeLibrary(m_module);
        m_module = nullptr;
        m_inp = nullptr;
        m_out = nullptr;
    }
}

CInpOutPortIO::~CInpOutPortIO()
{
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

void CInpOutPortIO::PortWrite(uint16_t address, uint8_t value)
{
    if (m_out != nullptr)
        m_out(static_cast<short>(address), static_cast<short>(value));
}

uint8_t CInpOutPortIO::PortRead(uint16_t address)
{
    // Without the DLL the port reads like one with nothing attached.
    if (m_inp == nullptr)
        return 0x7F;
    return static_cast<uint8_t>(m_inp(static_cast<short>(address)));
}

int CInpOutPortIO::MilliClock()
{
    return static_cast<int>(::GetTickCount() - m_start);
}
