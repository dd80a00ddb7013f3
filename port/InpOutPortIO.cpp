#include "port/InpOutPortIO.h"

CInpOutPortIO::CInpOutPortIO() : m_start(::GetTickCount())
{
    m_module = ::LoadLibraryA("inpout32.dll");
    if (m_module == nullptr)
        return;
    m_inp = reinterpret_cast<InpFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "Inp32")));
    m_out = reinterpret_cast<OutFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "Out32")));
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
