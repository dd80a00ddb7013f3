// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/DirectPortIO.h"

#include <windows.h>

namespace {
// The probe: "in al, dx" at a known address, so that the exception handler can
// recognise a fault there and step over the one-byte instruction.
extern "C" uint8_t QuavelProbeIn(uint16_t address);
extern "C" char QuavelProbeInInstruction[];
#if defined(__x86_64__)
asm(".text\n"
    ".globl QuavelProbeIn\n"
    "QuavelProbeIn:\n"
    "    movzwl %cx, %edx\n"
    "    xorl %eax, %eax\n"
    ".globl QuavelProbeInInstruction\n"
    "QuavelProbeInInstruction:\n"
    "    inb %dx, %al\n"
    "    ret\n");
#else
asm(".text\n"
    ".globl _QuavelProbeIn\n"
    "_QuavelProbeIn:\n"
    "    movzwl 4(%esp), %edx\n"
    "    xorl %eax, %eax\n"
    ".globl _QuavelProbeInInstruction\n"
    "_QuavelProbeInInstruction:\n"
    "    inb %dx, %al\n"
    "    ret\n");
#endif

constexpr uint8_t kNothingAttached = 0x7F;   // what a port without a player reads

volatile LONG g_probeFaulted = 0;

LONG CALLBACK ProbeHandler(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionAddress != static_cast<void*>(QuavelProbeInInstruction))
        return EXCEPTION_CONTINUE_SEARCH;
    if (record->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION && record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    g_probeFaulted = 1;
    // Step over the one-byte "in al, dx"; al stays 0.
#if defined(__x86_64__)
    info->ContextRecord->Rip += 1;
#else
    info->ContextRecord->Eip += 1;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace

CDirectPortIO::CDirectPortIO() : m_start(::GetTickCount()), m_usable(0x10000, -1) {}

bool CDirectPortIO::MayUse(uint16_t address)
{
    signed char& usable = m_usable[address];
    if (usable < 0)
        usable = CanUse(address) ? 1 : 0;
    return usable != 0;
}

void CDirectPortIO::PortWrite(uint16_t address, uint8_t value)
{
    if (!MayUse(address))
        return;
    asm volatile("outb %0, %1" : : "a"(value), "Nd"(address));
}

uint8_t CDirectPortIO::PortRead(uint16_t address)
{
    if (!MayUse(address))
        return kNothingAttached;
    uint8_t value;
    asm volatile("inb %1, %0" : "=a"(value) : "Nd"(address));
    return value;
}

int CDirectPortIO::MilliClock()
{
    return static_cast<int>(::GetTickCount() - m_start);
}

bool CDirectPortIO::CanUse(uint16_t address)
{
    PVOID handler = ::AddVectoredExceptionHandler(1, ProbeHandler);
    if (handler == nullptr)
        return false;
    g_probeFaulted = 0;
    QuavelProbeIn(address);
    bool faulted = g_probeFaulted != 0;
    ::RemoveVectoredExceptionHandler(handler);
    return !faulted;
}
