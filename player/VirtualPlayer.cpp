// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/VirtualPlayer.h"

#include <ctime>

namespace {

constexpr uint32_t kSmallChipPages = 16384;  // 8 MB, device code 0xE6
constexpr uint32_t kLargeChipPages = 32768;  // 16 MB, device code 0x73
constexpr uint32_t kInternalUnit = 16;
constexpr uint32_t kCardUnit = 32;

}  // namespace

uint32_t CVirtualPlayer::CardPages(uint8_t deviceCode)
{
    switch (deviceCode) {
    case 0x64:
    case 0xEA:
        return 4096;
    case 0xE3:
    case 0xE5:
        return 8192;
    case 0xE6:
        return 16384;
    case 0x73:
        return 32768;
    case 0x75:
        return 65536;
    default:
        return 0;
    }
}

CVirtualPlayer::CVirtualPlayer(const SPlayerOptions& options)
    : m_options(options), m_ctx(options.clockStartMs, options.seed), m_controller(m_ctx)
{
    const uint32_t time = options.formatTime ? options.formatTime : static_cast<uint32_t>(std::time(nullptr));
    const uint32_t chipPages = options.largeChips ? kLargeChipPages : kSmallChipPages;

    CFlashImage::SFormat internal;
    internal.totalBlocks = static_cast<uint16_t>(4 * chipPages / CFlashImage::kPagesPerBlock);
    internal.largeChips = options.largeChips;
    internal.time = time;
    // A card whose code is not in the table still answers its identification
    // (the PC must refuse it); it gets the smallest size.
    uint32_t cardPages = CardPages(options.cardCode);
    if (options.cardCode != 0 && cardPages == 0)
        cardPages = 4096;
    CFlashImage::SFormat card;
    card.totalBlocks = static_cast<uint16_t>(cardPages / CFlashImage::kPagesPerBlock);
    card.external = true;
    card.time = time;

    if (options.imageDir.empty()) {
        m_internal.Create(4 * chipPages, internal);
        m_card.Create(cardPages, card);
    } else {
        m_internal.Open(options.imageDir + "/internal.img", 4 * chipPages, internal);
        if (cardPages)
            m_card.Open(options.imageDir + "/card.img", cardPages, card);
    }

    CNandChip::SGeometry geo;
    geo.maker = options.maker;
    geo.deviceCode = options.largeChips ? 0x73 : 0xE6;
    geo.pages = chipPages;
    geo.unitPages = kInternalUnit;
    for (int i = 0; i < 4; ++i)
        m_chips[i].reset(new CNandChip(m_ctx, i, EMemory::Internal, geo, &m_internal, i * chipPages));
    geo.deviceCode = options.cardCode;
    geo.pages = cardPages;
    geo.unitPages = kCardUnit;
    m_chips[4].reset(new CNandChip(m_ctx, 4, EMemory::Card, geo, cardPages ? &m_card : nullptr, 0));
    for (int i = 0; i < CPlayerController::kChips; ++i)
        m_controller.AttachChip(i, m_chips[i].get());

    if (options.readyAtOnce)
        SetReadyAtOnce(true);
    else
        m_ctx.busy = options.busy;
    if (options.realTime)
        SetRealTime(true);
}

CVirtualPlayer::~CVirtualPlayer() = default;

std::string CVirtualPlayer::ImageError() const
{
    if (!m_internal.Error().empty())
        return m_internal.Error();
    return m_card.Error();
}

int CVirtualPlayer::MilliClock()
{
    // Looking at the clock costs time too, or a wait on the clock alone would never end.
    ++m_clockCalls;
    m_ctx.clock.Tick();
    if (m_ctx.clock.RealTime() && (m_clockCalls & 1023) == 0)
        m_ctx.clock.Pace();
    return m_ctx.clock.Millis();
}

void CVirtualPlayer::WriteAfterEvent(uint16_t address, uint8_t value)
{
    OnEvent();
    WriteRegister(address, value);
}

uint8_t CVirtualPlayer::ReadAfterEvent(uint16_t address)
{
    OnEvent();
    return ReadRegister(address);
}

void CVirtualPlayer::OnEvent()
{
    if (m_ctx.accesses > m_ctx.faults.CutAfter()) {
        const ECutMode mode = m_ctx.faults.CutMode();
        m_ctx.faults.CancelPowerCut();
        if (m_ctx.powered) {
            if (mode == ECutMode::BetweenOperations) {
                m_ctx.CutPower("after the planned number of register accesses");
            } else {
                m_ctx.tearArmed = true;
                m_ctx.Note(EPlayerEvent::Fault, "power cut armed for the next %s",
                           mode == ECutMode::TornProgram ? "page program" : "erase");
            }
        }
    }
    if (m_ctx.clock.RealTime() && (m_ctx.accesses & 1023) == 0)
        m_ctx.clock.Pace();
}

void CVirtualPlayer::CutPower()
{
    if (m_ctx.powered)
        m_ctx.CutPower("by request");
}

void CVirtualPlayer::Reconnect()
{
    m_ctx.powered = true;
    m_ctx.tearArmed = false;
    m_controller.PowerOn();
    for (auto& chip : m_chips)
        chip->PowerOn();
    m_data = 0;
    m_ctx.Note(EPlayerEvent::Power, "reconnected");
}

void CVirtualPlayer::SetReadyAtOnce(bool on)
{
    m_ctx.busy = on ? SBusyTimes{0, 0, 0} : m_options.busy;
}

void CVirtualPlayer::SetBusyTimes(const SBusyTimes& busy)
{
    m_options.busy = busy;
    m_ctx.busy = busy;
}

bool CVirtualPlayer::Restore(EMemory memory, const CFlashImage::Snapshot& snapshot)
{
    for (auto& chip : m_chips)
        if (chip->Memory() == memory)
            chip->PowerOn();
    return Image(memory).Restore(snapshot);
}

uint32_t CVirtualPlayer::Blocks(EMemory memory) const
{
    const CFlashImage& image = memory == EMemory::Card ? m_card : m_internal;
    return image.Pages() / CFlashImage::kPagesPerBlock;
}
