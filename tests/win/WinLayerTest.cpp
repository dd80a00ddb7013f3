// SPDX-License-Identifier: GPL-3.0-or-later
// Our thin Win32 layer on real windows: the dialog procedure's routing (modal,
// modeless, the Enter/Esc defaults, exceptions that must not escape), control
// subclassing with reflected messages, the list and tree views, GDI RAII and
// the current-directory keeper.
#include "win/BusyCursor.h"
#include "win/CurrentDirectory.h"
#include "win/Dialog.h"
#include "win/Gdi.h"
#include "win/ListView.h"
#include "win/TreeView.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

constexpr int kInitTemplate = 142;  // owner-drawn buttons 1, 2, 1022; check box 1031
constexpr int kMainTemplate = 102;  // list view 1001
constexpr int kFolderTemplate = 143;  // tree view 1033
constexpr int kCustomCommand = 4000;

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT id = kInitTemplate) : CDialog(id) {}

    // What the first handler does once the window exists.
    enum class Plan { PostOk, PostCustomThenOk, PostEscape, Nothing } plan = Plan::PostOk;
    bool throwOnCustom = false;
    INT_PTR okResult = IDOK;

    HWND handleAtInit = nullptr;
    int customCommands = 0;
    int finalMessages = 0;
    int okCalls = 0;
    int cancelCalls = 0;

protected:
    bool OnInitDialog() override
    {
        handleAtInit = m_hWnd;
        switch (plan) {
        case Plan::PostOk:
            PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
            break;
        case Plan::PostCustomThenOk:
            PostMessage(WM_COMMAND, MAKEWPARAM(kCustomCommand, BN_CLICKED));
            PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
            break;
        case Plan::PostEscape:
            PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Plan::Nothing:
            break;
        }
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override
    {
        if (id == kCustomCommand) {
            ++customCommands;
            if (throwOnCustom)
                throw std::runtime_error("handler failed");
            return true;
        }
        return CDialog::OnCommand(id, code, control);
    }

    void OnOK() override
    {
        ++okCalls;
        EndDialog(okResult);
    }
    void OnCancel() override
    {
        ++cancelCalls;
        CDialog::OnCancel();
    }
    void OnFinalMessage() override { ++finalMessages; }
};

class WinLayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControlClasses(); }
};

TEST_F(WinLayer, ModalDialogRoutesToItsObjectAndEnds)
{
    CTestDialog dialog;
    dialog.okResult = 42;
    EXPECT_EQ(42, dialog.DoModal());
    EXPECT_NE(nullptr, dialog.handleAtInit) << "the handle is known in OnInitDialog";
    EXPECT_EQ(1, dialog.okCalls);
    EXPECT_EQ(nullptr, dialog.Handle()) << "the handle is cleared when the window is gone";
    EXPECT_FALSE(::IsWindow(dialog.handleAtInit));
    EXPECT_EQ(1, dialog.finalMessages);
    EXPECT_TRUE(dialog.IsModal());
}

TEST_F(WinLayer, EscapeEndsWithCancel)
{
    CTestDialog dialog;
    dialog.plan = CTestDialog::Plan::PostEscape;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, dialog.cancelCalls);
    EXPECT_EQ(0, dialog.okCalls);
}

TEST_F(WinLayer, AnExceptionInAHandlerDoesNotLeaveTheDialogProcedure)
{
    CTestDialog dialog;
    dialog.plan = CTestDialog::Plan::PostCustomThenOk;
    dialog.throwOnCustom = true;
    EXPECT_EQ(IDOK, dialog.DoModal()) << "the dialog goes on after the failed handler";
    EXPECT_EQ(1, dialog.customCommands);
    EXPECT_EQ(1, dialog.okCalls);
}

TEST_F(WinLayer, ModelessDialogIsDestroyedByEndDialogOrWithItsObject)
{
    CTestDialog dialog;
    dialog.plan = CTestDialog::Plan::Nothing;
    ASSERT_TRUE(dialog.Create());
    HWND hWnd = dialog.Handle();
    EXPECT_TRUE(::IsWindow(hWnd));
    EXPECT_FALSE(dialog.IsModal());
    // Commands arrive through the same procedure.
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(kCustomCommand, BN_CLICKED));
    EXPECT_EQ(1, dialog.customCommands);
    dialog.EndDialog(IDOK);  // OnOK's way of ending, for a modeless window
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(nullptr, dialog.Handle());

    HWND second = nullptr;
    {
        CTestDialog other;
        other.plan = CTestDialog::Plan::Nothing;
        ASSERT_TRUE(other.Create());
        second = other.Handle();
        EXPECT_TRUE(::IsWindow(second));
    }
    EXPECT_FALSE(::IsWindow(second)) << "the window must not outlive the object it calls";
}

// A subclassed control that answers reflected messages and counts what it sees.
class CReflectingControl : public CSubclassedWindow {
public:
    int drawItems = 0;
    int notifies = 0;
    int clicks = 0;
    HBRUSH brush = ::CreateSolidBrush(RGB(65, 61, 66));
    ~CReflectingControl() override { ::DeleteObject(brush); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case WM_REFLECT_DRAWITEM:
            ++drawItems;
            return TRUE;
        case WM_REFLECT_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(brush);
        case WM_REFLECT_NOTIFY:
            ++notifies;
            return 77;
        case WM_LBUTTONDOWN:
            ++clicks;
            break;
        }
        return DefaultProc(msg, wParam, lParam);
    }
};

TEST_F(WinLayer, SubclassedControlsGetTheirMessagesAndReflectedOnes)
{
    CTestDialog dialog;
    dialog.plan = CTestDialog::Plan::Nothing;
    ASSERT_TRUE(dialog.Create());
    CReflectingControl button;
    CReflectingControl check;
    // HELPB: clicking OK or CANCEL would end the dialog.
    ASSERT_TRUE(button.SubclassDlgItem(1022, dialog));
    ASSERT_TRUE(check.SubclassDlgItem(1031, dialog));
    EXPECT_FALSE(button.Subclass(dialog.GetDlgItem(2))) << "one object, one window";
    EXPECT_EQ(&button, CSubclassedWindow::FromHandle(dialog.GetDlgItem(1022)));
    EXPECT_EQ(nullptr, CSubclassedWindow::FromHandle(dialog.GetDlgItem(2)));

    // The control's own messages reach the object first.
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    button.SendMessage(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(1, button.clicks);

    // Owner drawing is reflected to our control, and only to ours.
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = 1022;
    draw.hwndItem = button;
    EXPECT_EQ(TRUE, dialog.SendMessage(WM_DRAWITEM, 1022, reinterpret_cast<LPARAM>(&draw)));
    EXPECT_EQ(1, button.drawItems);
    draw.CtlID = 2;
    draw.hwndItem = dialog.GetDlgItem(2);
    EXPECT_EQ(FALSE, dialog.SendMessage(WM_DRAWITEM, 2, reinterpret_cast<LPARAM>(&draw)));

    // The colour query answers with the control's brush; other controls keep the default.
    HDC dc = ::GetDC(dialog);
    EXPECT_EQ(reinterpret_cast<LRESULT>(check.brush),
              dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(check.Handle())));
    EXPECT_NE(reinterpret_cast<LRESULT>(check.brush),
              dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(dialog.GetDlgItem(2))));
    ::ReleaseDC(dialog, dc);

    // A notification's result reaches the sender through the dialog's message result.
    NMHDR header{check.Handle(), 1031, NM_CLICK};
    EXPECT_EQ(77, dialog.SendMessage(WM_NOTIFY, 1031, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, check.notifies);

    // When the control goes, the object lets go of it.
    dialog.EndDialog(IDOK);
    EXPECT_FALSE(button.IsSubclassed());
    EXPECT_EQ(nullptr, button.Handle());
    EXPECT_EQ(nullptr, check.Handle());
}

TEST_F(WinLayer, UnsubclassGivesTheControlBack)
{
    CTestDialog dialog;
    dialog.plan = CTestDialog::Plan::Nothing;
    ASSERT_TRUE(dialog.Create());
    HWND control = dialog.GetDlgItem(1);
    {
        CReflectingControl button;
        ASSERT_TRUE(button.Subclass(control));
    }  // the object ends before the window
    EXPECT_EQ(nullptr, CSubclassedWindow::FromHandle(control));
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);  // must not reach the dead object
    ::SendMessageA(control, WM_LBUTTONUP, 0, 0);
    dialog.EndDialog(IDOK);
}

TEST_F(WinLayer, ListViewOperations)
{
    CTestDialog dialog(kMainTemplate);
    dialog.plan = CTestDialog::Plan::Nothing;
    ASSERT_TRUE(dialog.Create());
    CListView list;
    list.Attach(dialog.GetDlgItem(1001));

    EXPECT_EQ(0, list.InsertColumn(0, "  No. Title", 219));
    EXPECT_EQ(1, list.InsertColumn(1, "Size", 57));
    EXPECT_EQ(2, list.InsertColumn(2, "Bitr.", 31));
    EXPECT_EQ(3, list.InsertColumn(3, "Downl. Date/Time", 2));
    EXPECT_EQ(4, list.GetColumnCount());
    EXPECT_EQ(57, list.GetColumnWidth(1));
    EXPECT_TRUE(list.SetColumnWidth(3, 120));
    EXPECT_EQ(120, list.GetColumnWidth(3));

    EXPECT_EQ(0, list.InsertItem(0, " 1. one.mp3", 1));
    EXPECT_EQ(1, list.InsertItem(1, " 2. two.mp3", 1));
    EXPECT_EQ(2, list.InsertItem(2, std::string(300, 'x').c_str(), 3));
    EXPECT_TRUE(list.SetItemText(1, 1, "4000"));
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(" 2. two.mp3", list.GetItemText(1, 0));
    EXPECT_EQ("4000", list.GetItemText(1, 1));
    EXPECT_EQ("", list.GetItemText(1, 2));
    EXPECT_EQ(std::string(255, 'x'), list.GetItemText(2, 0)) << "at most 255 characters by default";
    EXPECT_EQ(" 1.", list.GetItemText(0, 0, 3));

    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    ASSERT_TRUE(list.GetItem(item));
    EXPECT_EQ(3, item.iImage);

    // Selection.
    EXPECT_EQ(0, list.GetSelectedCount());
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(2, list.GetSelectedCount());
    EXPECT_TRUE(list.IsSelected(2));
    EXPECT_FALSE(list.IsSelected(1));
    EXPECT_EQ(0, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(0, LVNI_SELECTED));
    EXPECT_EQ(-1, list.GetNextItem(2, LVNI_SELECTED));

    // Hit testing: the middle of row 1 is row 1; far below the rows is none.
    RECT row{};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(list.SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(1, list.HitTest(POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2}));
    RECT client = list.GetClientRect();
    EXPECT_EQ(-1, list.HitTest(POINT{5, client.bottom - 2}));

    POINT upperLeft{};
    HIMAGELIST drag = list.CreateDragImage(0, &upperLeft);
    EXPECT_NE(nullptr, drag);
    ImageList_Destroy(drag);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(" 2. two.mp3", list.GetItemText(0, 0));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
    dialog.EndDialog(IDOK);
}

TEST_F(WinLayer, TreeViewOperations)
{
    CTestDialog dialog(kFolderTemplate);
    dialog.plan = CTestDialog::Plan::Nothing;
    ASSERT_TRUE(dialog.Create());
    CTreeView tree;
    tree.Attach(dialog.GetDlgItem(1033));

    HTREEITEM drive = tree.InsertItem(TVI_ROOT, TVI_LAST, "C:\\", 0, 0);
    HTREEITEM other = tree.InsertItem(TVI_ROOT, TVI_LAST, "D:\\", 0, 0);
    HTREEITEM music = tree.InsertItem(drive, TVI_LAST, "Music", 3, 4);
    HTREEITEM placeholder = tree.InsertItem(music, TVI_LAST, "", 3, 3);
    ASSERT_NE(nullptr, drive);
    ASSERT_NE(nullptr, placeholder);
    EXPECT_EQ(4, tree.GetCount());
    EXPECT_EQ(drive, tree.GetRootItem());
    EXPECT_EQ(other, tree.GetNextSiblingItem(drive));
    EXPECT_EQ(nullptr, tree.GetNextSiblingItem(other));
    EXPECT_EQ(music, tree.GetChildItem(drive));
    EXPECT_EQ(drive, tree.GetParentItem(music));
    EXPECT_EQ(nullptr, tree.GetParentItem(drive));
    EXPECT_EQ("C:\\", tree.GetItemText(drive));
    EXPECT_EQ("Music", tree.GetItemText(music));
    EXPECT_EQ("", tree.GetItemText(placeholder));
    EXPECT_EQ("", tree.GetItemText(nullptr));

    EXPECT_TRUE(tree.Expand(drive));
    EXPECT_TRUE(tree.GetItemState(drive, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(tree.SelectItem(music));
    EXPECT_EQ(music, tree.GetSelectedItem());

    EXPECT_TRUE(tree.DeleteItem(placeholder));
    EXPECT_EQ(nullptr, tree.GetChildItem(music));
    EXPECT_EQ(3, tree.GetCount());
    dialog.EndDialog(IDOK);
}

TEST(Gdi, SelectionsAreRestoredAndObjectsDeleted)
{
    CMemoryDC dc;
    ASSERT_NE(nullptr, dc.Get());
    HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
    HPEN raw = nullptr;
    {
        CPen pen(::CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
        raw = pen;
        {
            CSelectObject select(dc, pen);
            EXPECT_TRUE(select.Succeeded());
            EXPECT_EQ(static_cast<HGDIOBJ>(raw), ::GetCurrentObject(dc, OBJ_PEN));
        }
        EXPECT_EQ(originalPen, ::GetCurrentObject(dc, OBJ_PEN));
        EXPECT_NE(0u, ::GetObjectType(raw));
    }
    EXPECT_EQ(0u, ::GetObjectType(raw)) << "the pen is deleted with its owner";

    CBrush first(::CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH firstRaw = first;
    CBrush second(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_EQ(firstRaw, second.Get());
    second.Reset(::CreateSolidBrush(RGB(4, 5, 6)));
    EXPECT_EQ(0u, ::GetObjectType(firstRaw));
    HBRUSH released = second.Release();
    EXPECT_EQ(nullptr, second.Get());
    EXPECT_NE(0u, ::GetObjectType(released));
    ::DeleteObject(released);
}

TEST(CurrentDirectory, IsRestored)
{
    const std::string before = CCurrentDirectoryKeeper::Get();
    ASSERT_FALSE(before.empty());
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    {
        CCurrentDirectoryKeeper keeper;
        EXPECT_EQ(before, keeper.Saved());
        ASSERT_TRUE(CCurrentDirectoryKeeper::Set(temp));
        EXPECT_NE(before, CCurrentDirectoryKeeper::Get());
    }
    EXPECT_EQ(before, CCurrentDirectoryKeeper::Get());
}

TEST(BusyCursor, RestoresThePreviousCursor)
{
    HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    ::SetCursor(arrow);
    {
        CBusyCursor busy;
        EXPECT_EQ(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)), ::GetCursor());
        busy.Restore();
        EXPECT_EQ(arrow, ::GetCursor());
        ::SetCursor(nullptr);
    }
    EXPECT_EQ(nullptr, ::GetCursor()) << "a restored cursor is not restored twice";
}

}  // namespace
