// SPDX-License-Identifier: GPL-3.0-or-later
// Chooses and opens the printer-port backend of one run of quavel-cli from its
// command line: a virtual player (--virtual-player=DIR) on every platform; on
// Linux the ppdev driver (--parport=/dev/parportN, the default /dev/parport0)
// or ioperm and IN/OUT (--port=BASE, root only); on Windows the backends
// Quavel.exe has (direct IN/OUT where allowed, else inpout32.dll), on the port
// given with --port or on 0x378 and then 0x278.
#pragma once
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "device/PortProvider.h"

class CPpdevCalls;
class CPpdevPortIO;
class CVirtualPlayer;

struct SCliBackend {
    std::string virtualDir;   // --virtual-player
    int playerSize = 0;       // --player-size in MB (32 or 64); 0: from the image, else 32
    int cardSize = 0;         // --card-size in MB; 0: from card.img, else no card
    std::string parport;      // --parport (Linux)
    int port = 0;             // --port; 0 when not given
    CPpdevCalls* ppdevCalls = nullptr;   // tests: the ppdev system calls
    std::function<void(CVirtualPlayer&)> playerFaults = nullptr; // tests: faults of the virtual player
};

class CCliPorts : public CPortProvider {
public:
    ~CCliPorts() override;

    // Opens the backend; null with the reason in error when it cannot be used.
    static std::unique_ptr<CCliPorts> Open(const SCliBackend& backend, std::ostream& err,
                                           std::string& error);

    CPortIO* GetPortIO() override;

    // The port bases the session tries, in order (the same twice when the
    // backend has only one).
    int Port1() const { return m_port1; }
    int Port2() const { return m_port2; }
    // How the port is reached, for info: "virtual player in DIR", "ppdev /dev/parport0", ...
    std::string Description() const;
    // The image folder of the virtual player, or "".
    const std::string& VirtualDir() const { return m_virtualDir; }
    // A failure the backend noted while running (a failed ioctl, an image
    // write that failed), as a sentence, or "".
    std::string RunFailure() const;

private:
    CCliPorts() = default;
    bool OpenVirtual(const SCliBackend& backend, std::string& error);

    std::unique_ptr<CPortIO> m_io;
    std::unique_ptr<CPortProvider> m_provider;   // Windows: Quavel.exe's choice of backend
    int m_port1 = 0x378;
    int m_port2 = 0x278;
    std::string m_description;
    std::string m_virtualDir;
    CPpdevPortIO* m_ppdev = nullptr;       // inside m_io when ppdev is in use
    CVirtualPlayer* m_virtual = nullptr;   // inside m_io when the virtual player is in use
};

// The card device code of an image file of the virtual player's card, from its
// size; 0 when the size is none of a card's. Exposed for tests.
int CardCodeOfImageSize(long long bytes);
