// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliPorts.h"

#include <cstdio>

#include "cli/CliFiles.h"
#include "cli/CliText.h"
#include "player/VirtualPlayer.h"
#include "port/PortOptions.h"

#ifdef _WIN32
#include "app/PortSelection.h"
#else
#include "cli/IopermPortIO.h"
#include "cli/PpdevPortIO.h"
#endif

namespace {

constexpr long long kImagePageBytes = 528;          // 512 data + 16 spare bytes
constexpr long long kSmallPlayerPages = 65536;      // 32 MB: 4 chips of 8 MB
constexpr long long kLargePlayerPages = 131072;     // 64 MB: 4 chips of 16 MB
constexpr int kVirtualBase = 0x378;

#ifndef _WIN32
std::string Hex(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}
#endif

#ifdef _WIN32
// Quavel.exe's choice of backend, with its one message written to the console.
class CConsolePortProvider : public CAppPortProvider {
public:
    CConsolePortProvider(const SPortOptions& options, std::ostream& err) : CAppPortProvider(options), m_err(err) {}

protected:
    void ShowMessage(const std::string& text) override { m_err << ConsoleText(text) << '\n'; }

private:
    std::ostream& m_err;
};
#endif

}  // namespace

int CardCodeOfImageSize(long long bytes)
{
    if (bytes <= 0 || bytes % kImagePageBytes != 0)
        return 0;
    const long long pages = bytes / kImagePageBytes;
    const long long megabytes = pages * 512 / (1024 * 1024);
    if (megabytes * 1024 * 1024 != pages * 512)
        return 0;
    return CardCodeForSize(static_cast<int>(megabytes));
}

CCliPorts::~CCliPorts() = default;

std::unique_ptr<CCliPorts> CCliPorts::Open(const SCliBackend& backend, std::ostream& err, std::string& error)
{
    std::unique_ptr<CCliPorts> ports(new CCliPorts());
    if (!backend.virtualDir.empty()) {
        if (!ports->OpenVirtual(backend, error))
            return nullptr;
        return ports;
    }
#ifdef _WIN32
    (void)err;
    SPortOptions options;
    ports->m_provider = std::make_unique<CConsolePortProvider>(options, err);
    if (backend.port)
        ports->m_port1 = ports->m_port2 = backend.port;
    ports->m_description = "printer port";
    return ports;
#else
    (void)err;
    if (backend.port) {
        auto io = std::make_unique<CIopermPortIO>(static_cast<uint16_t>(backend.port));
        if (!io->Open(error))
            return nullptr;
        ports->m_io = std::move(io);
        ports->m_port1 = ports->m_port2 = backend.port;
        ports->m_description = "ioperm " + Hex(backend.port);
        return ports;
    }
    const std::string path = backend.parport.empty() ? "/dev/parport0" : backend.parport;
    CPpdevCalls& calls = backend.ppdevCalls ? *backend.ppdevCalls : SystemPpdevCalls();
    auto io = std::make_unique<CPpdevPortIO>(calls, static_cast<uint16_t>(kVirtualBase));
    if (!io->Open(path, error))
        return nullptr;
    ports->m_ppdev = io.get();
    ports->m_io = std::move(io);
    // ppdev reaches one port whatever its address: the device link sees it at 0x378.
    ports->m_port1 = ports->m_port2 = kVirtualBase;
    ports->m_description = "ppdev " + path;
    return ports;
#endif
}

bool CCliPorts::OpenVirtual(const SCliBackend& backend, std::string& error)
{
    // A missing folder is created; its parent must exist.
    if (!MakeFolder(backend.virtualDir)) {
        error = "the virtual player's folder '" + backend.virtualDir + "' cannot be created";
        return false;
    }

    SPlayerOptions options;
    options.base = kVirtualBase;
    options.imageDir = backend.virtualDir;
    // The sizes of existing images decide; the options only shape new ones.
    // The names the virtual player opens.
    const std::string internalImage = backend.virtualDir + "/internal.img";
    const std::string cardImage = backend.virtualDir + "/card.img";
    const long long internalBytes = FileBytes(internalImage);
    bool large = backend.playerSize == 64;
    if (internalBytes == kLargePlayerPages * kImagePageBytes)
        large = true;
    else if (internalBytes == kSmallPlayerPages * kImagePageBytes)
        large = false;
    if (backend.playerSize && internalBytes >= 0 && large != (backend.playerSize == 64)) {
        error = "--player-size=" + std::to_string(backend.playerSize) + " does not match the image " +
                internalImage;
        return false;
    }
    options.largeChips = large;

    const long long cardBytes = FileBytes(cardImage);
    int cardCode = backend.cardSize ? CardCodeForSize(backend.cardSize) : 0;
    if (cardBytes >= 0) {
        const int imageCode = CardCodeOfImageSize(cardBytes);
        if (imageCode == 0) {
            error = "the card image " + cardImage + " has a size no card has";
            return false;
        }
        if (cardCode && CVirtualPlayer::CardPages(static_cast<uint8_t>(cardCode)) !=
                            CVirtualPlayer::CardPages(static_cast<uint8_t>(imageCode))) {
            error = "--card-size=" + std::to_string(backend.cardSize) + " does not match the image " +
                    cardImage;
            return false;
        }
        cardCode = imageCode;
    }
    options.cardCode = static_cast<uint8_t>(cardCode);

    auto player = std::make_unique<CVirtualPlayer>(options);
    const std::string imageError = player->ImageError();
    if (!imageError.empty()) {
        error = "the virtual player's memory images cannot be used: " + imageError;
        return false;
    }
    if (backend.playerFaults)
        backend.playerFaults(*player);
    m_virtual = player.get();
    m_io = std::move(player);
    m_port1 = m_port2 = kVirtualBase;
    m_virtualDir = backend.virtualDir;
    m_description = "virtual player in " + backend.virtualDir;
    return true;
}

CPortIO* CCliPorts::GetPortIO()
{
    if (m_provider)
        return m_provider->GetPortIO();
    return m_io.get();
}

std::string CCliPorts::Description() const
{
#ifdef _WIN32
    if (m_provider) {
        const char* name = static_cast<CAppPortProvider*>(m_provider.get())->BackendName();
        if (std::string(name) == "direct")
            return "direct IN/OUT";
        if (std::string(name) == "inpout32")
            return "inpout32.dll";
        return "no access to the printer port";
    }
#endif
    return m_description;
}

std::string CCliPorts::RunFailure() const
{
#ifndef _WIN32
    if (m_ppdev && !m_ppdev->Failure().empty())
        return "the printer port failed: " + m_ppdev->Failure();
#endif
    // A memory image that could not be written holds neither the old nor the
    // new contents for sure: the command did not succeed.
    if (m_virtual && !m_virtual->ImageError().empty())
        return "the virtual player's memory failed: " + m_virtual->ImageError();
    return std::string();
}
