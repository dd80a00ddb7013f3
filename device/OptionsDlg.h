// SPDX-License-Identifier: GPL-3.0-or-later
// COptionsDlg: the transfer speed options (template 284). Three columns of
// SLOW / MEDIUM / FAST buttons pick the wake-up, strobe and read delay counts;
// the chosen button of each column is shown held down. OK stores the counts and
// hands them to the session; CANCEL and CLOSE drop them. A skinned window.
#pragma once

#include "device/SpeedChoice.h"
#include "skin/BitmapButton.h"
#include "win/Dialog.h"

class CRioSession;

class COptionsDlg : public CDialog {
public:
    // The session is not owned; null when there is none (the counts are then
    // only stored, and the next Connect applies them). The owner, when given,
    // is disabled while the dialog is open.
    explicit COptionsDlg(CRioSession* session, HWND owner = nullptr);

    // The counts as the dialog shows them (after DoModal: as they were at the end).
    int GetIODelayInit() const { return m_choice.Value(kSpeedInit); }
    int GetIODelayTx() const { return m_choice.Value(kSpeedTx); }
    int GetIODelayRx() const { return m_choice.Value(kSpeedRx); }

    // The button of a column and row.
    static int ButtonId(int column, int row);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnHelp(HELPINFO* info) override;
    void OnOK() override;

private:
    // Every column: its chosen button held down, or all three disabled when
    // the column's count is none of its own.
    void ShowState();
    void ShowColumn(int column);
    // The column and row of a speed button; false for other controls.
    static bool FindSpeedButton(int id, int& column, int& row);

    static constexpr int kButtonCount = 14;

    CRioSession* m_session;
    CSpeedChoice m_choice;
    CBitmapButton m_buttons[kButtonCount];
};
