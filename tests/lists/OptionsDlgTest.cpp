// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer speed options dialog on screen, driven from a second thread:
// which buttons it shows held down or disabled, what OK, SETDEF, CANCEL and
// CLOSE leave in the settings, its help, its shape, and that a connected
// player's next block transfer runs at the chosen speed.
// The device headers come first: <windows.h> renames CRioDevice::SetPort.
#include "device/RioSession.h"
#include "tests/lists/TransferReads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/Help.h"
#include "app/Settings.h"
#include "device/MessageSink.h"
#include "device/OptionsDlg.h"
#include "device/PortProvider.h"
#include "device/RioSession.h"
#include "res/resource.h"
#include "tests/lists/DialogDriver.h"
#include "tests/lists/HelpRecorder.h"

namespace {

using liststest::Click;
using liststest::IsEnabled;
using liststest::IsPushed;
using wintest::WaitUntil;

using helptest::g_helpCalls;
using helptest::g_helpCount;
using helptest::RecordHelp;
using helptest::SHelpCall;

class CRecordingSink : public CMessageSink {
public:
    void ShowError(const char* text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

class OptionsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        SetAppSettings(&settings);
        g_helpCalls.clear();
        g_helpCount = 0;
        oldHelp = SetHelpEngine(RecordHelp);
    }
    void TearDown() override
    {
        SetHelpEngine(oldHelp);
        SetAppSettings(nullptr);
    }

    int Stored(const char* name) { return settings.ReadInt("Settings", name, -1); }

    // Every button of a column: held down exactly at row (none when row is -1),
    // and enabled unless the column is unusable.
    static void ExpectColumn(HWND dlg, int column, int row, bool enabled)
    {
        for (int r = 0; r < kSpeedRows; ++r) {
            const int id = COptionsDlg::ButtonId(column, r);
            EXPECT_EQ(IsPushed(dlg, id), r == row) << "column " << column << " row " << r;
            EXPECT_EQ(IsEnabled(dlg, id), enabled) << "column " << column << " row " << r;
        }
    }

    CMemorySettings settings;
    HelpEngine oldHelp = nullptr;
};

TEST_F(OptionsDialog, NothingStoredShowsMediumInEveryColumnAndCancelStoresNothing)
{
    COptionsDlg dlg(nullptr);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        for (int column = 0; column < kSpeedColumns; ++column)
            ExpectColumn(w, column, kSpeedMedium, true);
        Click(w, IDC_OPTIONS_CANCEL);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(settings.Count(), 0u);
}

TEST_F(OptionsDialog, ForeignMiddleValueDisablesItsColumnAndOkStoresItAgain)
{
    settings.WriteInt("Settings", "IODelayTx", 50);
    COptionsDlg dlg(nullptr);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        ExpectColumn(w, kSpeedInit, kSpeedMedium, true);
        ExpectColumn(w, kSpeedTx, -1, false);
        ExpectColumn(w, kSpeedRx, kSpeedMedium, true);
        Click(w, IDC_OPTIONS_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored("IODelayInit"), 20000);
    EXPECT_EQ(Stored("IODelayTx"), 50);
    EXPECT_EQ(Stored("IODelayRx"), 2);
}

TEST_F(OptionsDialog, SetDefThenCancelChangesNothing)
{
    settings.WriteInt("Settings", "IODelayInit", 25000);
    settings.WriteInt("Settings", "IODelayTx", 50);
    COptionsDlg dlg(nullptr);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        ExpectColumn(w, kSpeedInit, kSpeedSlow, true);
        Click(w, IDC_OPTIONS_SETDEF);
        // SETDEF makes the unusable column usable again, MEDIUM everywhere.
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(w, IDC_OPTIONS_TX_MEDIUM); }));
        for (int column = 0; column < kSpeedColumns; ++column)
            ExpectColumn(w, column, kSpeedMedium, true);
        Click(w, IDC_OPTIONS_CANCEL);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.GetIODelayTx(), 100);   // chosen, then dropped
    EXPECT_EQ(Stored("IODelayInit"), 25000);
    EXPECT_EQ(Stored("IODelayTx"), 50);
    EXPECT_EQ(Stored("IODelayRx"), -1);
    EXPECT_EQ(settings.Count(), 2u);
}

TEST_F(OptionsDialog, FastThreeTimesThenOkReachesTheConnectedPlayersNextTransfer)
{
    CRecordingSink sink;
    CVirtualPlayer player(liststest::QuickPlayer());
    CFixedPortProvider ports(&player);
    CRioSession session(settings, sink, ports);
    ASSERT_TRUE(session.Connect());
    CRioDevice* device = session.GetDevice();
    ASSERT_NE(device, nullptr);

    COptionsDlg dlg(&session);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        Click(w, IDC_OPTIONS_INIT_FAST);
        Click(w, IDC_OPTIONS_TX_FAST);
        Click(w, IDC_OPTIONS_RX_FAST);
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(w, IDC_OPTIONS_RX_FAST); }));
        for (int column = 0; column < kSpeedColumns; ++column)
            ExpectColumn(w, column, kSpeedFast, true);
        // Changing one's mind within a column moves the held-down button.
        Click(w, IDC_OPTIONS_TX_SLOW);
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(w, IDC_OPTIONS_TX_SLOW); }));
        ExpectColumn(w, kSpeedTx, kSpeedSlow, true);
        Click(w, IDC_OPTIONS_TX_FAST);
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(w, IDC_OPTIONS_TX_FAST); }));
        Click(w, IDC_OPTIONS_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Stored("IODelayInit"), 15000);
    EXPECT_EQ(Stored("IODelayTx"), 10);
    EXPECT_EQ(Stored("IODelayRx"), 1);

    const uint64_t reads = liststest::ReadsOfBlockTransfer(*device, player);
    EXPECT_GT(reads, 0u);
    EXPECT_EQ(reads, liststest::ReferenceReads(15000, 10, 1));
    EXPECT_NE(reads, liststest::ReferenceReads(20000, 100, 2));
    EXPECT_EQ(player.ProtocolErrors(), 0u);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(OptionsDialog, HelpButtonAndF1OpenTheOptionsTopicAndCloseStoresNothing)
{
    COptionsDlg dlg(nullptr);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        Click(w, IDC_OPTIONS_HELP);
        EXPECT_TRUE(WaitUntil([] { return g_helpCount == 1; }));
        // F1: the key message that the default window handling turns into
        // the help request (WM_HELP).
        constexpr UINT kKeyF1 = 0x004D;
        ::PostMessageA(w, kKeyF1, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return g_helpCount == 2; }));
        Click(w, IDC_OPTIONS_INIT_SLOW);
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(w, IDC_OPTIONS_INIT_SLOW); }));
        Click(w, IDC_OPTIONS_CLOSE);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(g_helpCalls.size(), 2u);
    for (const SHelpCall& call : g_helpCalls) {
        EXPECT_EQ(call.command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(call.data, 0x2011Cu);
    }
    EXPECT_EQ(settings.Count(), 0u);
}

TEST_F(OptionsDialog, EachOpeningGetsTheShapeOfItsRegionOnItsFirstPaint)
{
    for (int opening = 0; opening < 2; ++opening) {
        COptionsDlg dlg(nullptr);
        RECT box{};
        int kind = ERROR;
        SIZE close{};
        liststest::RunDriven(dlg, [&](HWND w) {
            WaitUntil([&] {
                HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
                kind = ::GetWindowRgn(w, rgn);
                ::GetRgnBox(rgn, &box);
                ::DeleteObject(rgn);
                return kind == COMPLEXREGION;
            });
            RECT rc{};
            ::GetWindowRect(::GetDlgItem(w, IDC_OPTIONS_CLOSE), &rc);
            close = SIZE{rc.right - rc.left, rc.bottom - rc.top};
            Click(w, IDC_OPTIONS_CANCEL);
            WaitUntil([&] { return !::IsWindow(w); });
        });
        EXPECT_EQ(kind, COMPLEXREGION) << "opening " << opening;
        EXPECT_EQ(box.right, 275) << "opening " << opening;
        EXPECT_EQ(box.bottom, 263) << "opening " << opening;
        // The bitmap buttons take the size of their faces.
        EXPECT_EQ(close.cx, 13);
        EXPECT_EQ(close.cy, 12);
    }
}

}  // namespace
