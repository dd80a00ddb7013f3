// The program's main window (template 102). For now it sets itself up, creates
// the device session, looks for the player once and shows the memory figures in
// its status line; CLOSE, Enter and Esc end its modal loop.
#pragma once

#include "app/MessageBoxWin.h"
#include "win/Dialog.h"

#include <memory>
#include <string>

class CPortProvider;
class CRioSession;

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CPortProvider& ports, HWND parent = nullptr);
    ~CMainDlg() override;

    // The last search found a player.
    bool connected = false;
    // Text of the status line.
    std::string statusText;

    CRioSession* Session() const { return m_session.get(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnHelp(HELPINFO* info) override;

private:
    void ShowMemory();
    void ShowLamp(int id);

    CPortProvider& m_ports;
    CMessageBoxSink m_messages;
    std::unique_ptr<CRioSession> m_session;
};
