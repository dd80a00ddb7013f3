// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PortSelection.h"

#include "app/MessageBoxWin.h"
#include "player/VirtualPlayer.h"
#include "port/DirectPortIO.h"
#include "port/InpOutPortIO.h"

#include <windows.h>

const char* const CAppPortProvider::kNoPortMessage =
    "Quavel cannot reach the printer port.\r\n\r\n"
    "This Windows does not let programs use the port directly, and the port "
    "driver inpout32.dll was not found beside Quavel or on the search path.\r\n\r\n"
    "Install inpout32.dll, or start Quavel with --virtual-player=DIR to use a virtual player.";

CAppPortProvider::CAppPortProvider(const SPortOptions& options) : m_options(options) {}

CAppPortProvider::~CAppPortProvider() = default;

CPortIO* CAppPortProvider::GetPortIO()
{
    if (!m_chosen) {
        m_chosen = true;
        Choose();
    }
    if (m_waitingForPlug) {
        const std::string marker = m_options.virtualPlayerDir + "\\" + kPlugInMarker;
        if (::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
            m_player->Reconnect();
            m_waitingForPlug = false;
        }
    }
    return m_port.get();
}

CPortIO* CAppPortProvider::Choose()
{
    if (!m_options.virtualPlayerDir.empty()) {
        // A missing image folder is created; its parent must exist.
        ::CreateDirectoryA(m_options.virtualPlayerDir.c_str(), nullptr);
        SPlayerOptions player;
        player.base = static_cast<uint16_t>(m_options.playerPort);
        player.largeChips = m_options.largePlayer;
        player.cardCode = static_cast<uint8_t>(m_options.cardDeviceCode);
        player.imageDir = m_options.virtualPlayerDir;
        player.realTime = m_options.realTime;
        auto virtualPlayer = std::make_unique<CVirtualPlayer>(player);
        std::string error = virtualPlayer->ImageError();
        if (!error.empty()) {
            ShowMessage("The virtual player's memory images in \"" + m_options.virtualPlayerDir
                        + "\" cannot be used:\r\n\r\n" + error);
            return nullptr;
        }
        m_player = virtualPlayer.get();
        if (m_options.unplugged) {
            m_player->CutPower();
            m_waitingForPlug = true;
        }
        m_port = std::move(virtualPlayer);
        m_backendName = "virtual";
        return m_port.get();
    }

    // The player may sit on either stored port; one probe of the first tells
    // whether the process may execute IN/OUT at all.
    if (CDirectPortIO::CanUse(0x379)) {
        m_port = std::make_unique<CDirectPortIO>();
        m_backendName = "direct";
        return m_port.get();
    }
    auto inpout = std::make_unique<CInpOutPortIO>();
    if (inpout->IsLoaded()) {
        m_port = std::move(inpout);
        m_backendName = "inpout32";
        return m_port.get();
    }
    ShowMessage(kNoPortMessage);
    return nullptr;
}

void CAppPortProvider::ShowMessage(const std::string& text)
{
    AppMessageBox(::GetActiveWindow(), text.c_str(), MB_OK | MB_ICONSTOP);
}
