// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/HyperLink.h"

#include "win/Dialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstdio>
#include <vector>

namespace {
// The fallback's buffers: the class name of web pages is read with room for 259
// characters, the command line is assembled in 520.
constexpr size_t kClassNameSize = 260;
constexpr size_t kCommandLineSize = 520;

const char kPageExtension[] = ".htm";
const char kOpenCommandKey[] = "\\shell\\open\\command";
const char kQuotedPlaceholder[] = "\"%1\"";
const char kPlaceholder[] = "%1";

int CallShellExecute(const char* target, int showCommand)
{
    HINSTANCE result = ::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, showCommand);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

CHyperLink::ShellOpenCall g_shellOpen = CallShellExecute;
HKEY g_classRoot = HKEY_CLASSES_ROOT;

// One hand pointer for all links, looked for once per run.
HCURSOR g_handPointer = nullptr;
bool g_handPointerLoaded = false;

// The default value of a key under the class root, when the key opens for
// querying and the value is a string that fits capacity (terminator included).
bool ReadClassValue(const std::string& keyName, size_t capacity, std::string& value)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(g_classRoot, keyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::vector<char> buffer(capacity + 1, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(capacity);
    const LONG status = ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value.assign(buffer.data());  // the stored terminator, or the spare one
    return true;
}

// The command line that starts the program registered for web pages with the
// target: the registered template cut at its placeholder, a space, the target.
// False when there is none, or when it does not fit (refused whole rather than
// cut into another command).
bool PageProgramCommand(const char* target, std::string& command)
{
    if (!ReadClassValue(kPageExtension, kClassNameSize, command))
        return false;
    if (!ReadClassValue(command + kOpenCommandKey, kCommandLineSize, command))
        return false;
    size_t cut = command.find(kQuotedPlaceholder);
    if (cut == std::string::npos)
        cut = command.find(kPlaceholder);
    if (cut != std::string::npos)
        command.erase(cut);
    command += ' ';
    command += target;
    return command.size() < kCommandLineSize;
}

// The program's title: its executable's base name.
std::string ProgramTitle()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    const size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}
}  // namespace

CHyperLink::ShellOpenCall CHyperLink::SetShellOpen(ShellOpenCall call)
{
    ShellOpenCall old = g_shellOpen;
    g_shellOpen = call != nullptr ? call : CallShellExecute;
    return old;
}

HKEY CHyperLink::SetClassRoot(HKEY root)
{
    HKEY old = g_classRoot;
    g_classRoot = root != nullptr ? root : HKEY_CLASSES_ROOT;
    return old;
}

CHyperLink::~CHyperLink()
{
    if (m_tooltip != nullptr && ::IsWindow(m_tooltip))
        ::DestroyWindow(m_tooltip);
    // The control may outlive this object: it must not keep the font deleted here.
    if (IsSubclassed() && IsWindow() && m_font && GetFont() == m_font.Get())
        SetFont(nullptr, false);
}

bool CHyperLink::AttachLink(HWND control)
{
    if (!Subclass(control))
        return false;
    if (m_url.empty())
        m_url = GetText();
    if (GetText().empty())
        SetText(m_url);

    HFONT font = GetFont();
    LOGFONTA logFont{};
    if (font != nullptr && ::GetObjectA(font, sizeof logFont, &logFont) != 0) {
        logFont.lfUnderline = (m_style & HLS_UNDERLINE) ? TRUE : FALSE;
        m_font.Reset(::CreateFontIndirectA(&logFont));
        if (m_font)
            SetFont(m_font.Get(), true);
        FitToText();
    } else {
        m_style &= ~static_cast<DWORD>(HLS_AUTOSIZE);
    }

    if (!(m_style & HLS_NO_HAND_CURSOR) && !g_handPointerLoaded) {
        g_handPointerLoaded = true;
        char windows[MAX_PATH] = "";
        const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            g_handPointer = LoadHandPointer(std::string(windows) + "\\winhlp32.exe");
        else
            g_handPointer = LoadHandPointer(std::string());
    }

    CreateTooltip();
    return true;
}

HCURSOR CHyperLink::HandPointer()
{
    return g_handPointer;
}

HCURSOR CHyperLink::LoadHandPointer(const std::string& modulePath)
{
    HCURSOR hand = nullptr;
    HMODULE module = modulePath.empty() ? nullptr : ::LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module != nullptr) {
        HCURSOR pointer = ::LoadCursorA(module, MAKEINTRESOURCEA(kHandPointerResource));
        if (pointer != nullptr)
            hand = static_cast<HCURSOR>(::CopyImage(pointer, IMAGE_CURSOR, 0, 0, 0));
        ::FreeLibrary(module);
    }
    // Current systems no longer ship that pointer; their own hand looks the same.
    if (hand == nullptr)
        hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    return hand;
}

void CHyperLink::CreateTooltip()
{
    m_tooltip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, CDialog::ResourceInstance(), nullptr);
    if (m_tooltip == nullptr)
        return;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the control
    tool.hwnd = m_hWnd;
    tool.uId = kLinkToolId;
    tool.rect = GetClientRect();
    tool.lpszText = const_cast<char*>(m_url.c_str());
    ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CHyperLink::SetTarget(const std::string& target)
{
    m_url = target;
    if (!IsSubclassed() || !IsWindow())
        return;
    Show(false);
    FitToText();
    if (m_tooltip != nullptr) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = m_hWnd;
        tool.uId = kLinkToolId;
        tool.lpszText = const_cast<char*>(m_url.c_str());
        ::SendMessageA(m_tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    Show(true);
}

void CHyperLink::FitToText()
{
    if (!(m_style & HLS_AUTOSIZE) || !IsWindow())
        return;
    RECT r = CWindow(GetParent()).ChildRect(m_hWnd);
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();

    const std::string text = GetText();
    SIZE extent{};
    HDC dc = ::GetDC(m_hWnd);
    {
        CSelectObject font(dc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : static_cast<HGDIOBJ>(GetFont()));
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }
    ::ReleaseDC(m_hWnd, dc);

    const LONG_PTR style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        const int shrink = static_cast<int>((r.bottom - r.top) - extent.cy) / 2;
        r.top += shrink;
        r.bottom -= shrink;
    } else {
        r.bottom = r.top + extent.cy;
    }
    if (style & SS_CENTER) {
        const int shrink = static_cast<int>((r.right - r.left) - extent.cx) / 2;
        r.left += shrink;
        r.right -= shrink;
    } else if (style & SS_RIGHT) {
        r.left = r.right - extent.cx;
    } else {
        r.right = r.left + extent.cx;
    }
    const int frameWidth = (window.right - window.left) - (client.right - client.left);
    const int frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
    Move(r.left, r.top, (r.right - r.left) + frameWidth, (r.bottom - r.top) + frameHeight, true);
}

COLORREF CHyperLink::TextColour() const
{
    if (m_over && (m_style & HLS_HOVER_COLOUR))
        return kLinkHoverColour;
    if (m_active && !(m_style & HLS_NO_ACTIVE_COLOUR))
        return kLinkActiveColour;
    return m_visited ? kLinkVisitedColour : kLinkColour;
}

void CHyperLink::ActivateLink()
{
    const int result = OpenTarget(m_url.c_str(), SW_SHOWNORMAL);
    if (result <= 32) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        ShowLinkError(result);
        return;
    }
    m_visited = true;
    Invalidate(true);
}

int CHyperLink::OpenTarget(const char* target, int showCommand)
{
    const int shellResult = g_shellOpen(target, showCommand);
    if (shellResult > 32)
        return shellResult;

    // The program that opens web pages, started directly with the target;
    // without one the shell's own failure stands.
    std::string command;
    if (!PageProgramCommand(target, command))
        return shellResult;
    return static_cast<int>(::WinExec(command.c_str(), static_cast<UINT>(showCommand)));
}

int CHyperLink::OpenWithPageProgram(const char* target, int showCommand)
{
    std::string command;
    if (!PageProgramCommand(target, command))
        return SE_ERR_NOASSOC;
    return static_cast<int>(::WinExec(command.c_str(), static_cast<UINT>(showCommand)));
}

int CHyperLink::ShellOpen(const char* target, int showCommand) { return g_shellOpen(target, showCommand); }

std::string CHyperLink::LinkErrorText(int code)
{
    const char* reason = nullptr;
    switch (code) {
    case 0: reason = "The operating system is out\nof memory or resources."; break;
    case SE_ERR_FNF: reason = "The specified file was not found."; break;
    case SE_ERR_PNF: reason = "The specified path was not found."; break;
    case SE_ERR_ACCESSDENIED: reason = "The operating system denied\naccess to the specified file."; break;
    case SE_ERR_OOM: reason = "There was not enough memory to complete the operation."; break;
    case ERROR_BAD_FORMAT: reason = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case SE_ERR_SHARE: reason = "A sharing violation occurred. "; break;
    case SE_ERR_ASSOCINCOMPLETE: reason = "The filename association is\nincomplete or invalid."; break;
    case SE_ERR_DDETIMEOUT:
        reason = "The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case SE_ERR_DDEFAIL: reason = "The DDE transaction failed."; break;
    case SE_ERR_DDEBUSY:
        reason = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
        break;
    case SE_ERR_NOASSOC: reason = "There is no application associated\nwith the given filename extension."; break;
    case SE_ERR_DLLNOTFOUND: reason = "The specified dynamic-link library was not found."; break;
    default: break;
    }
    std::string text = "Can't open link:\n\n";
    if (reason != nullptr) {
        text += reason;
    } else {
        char unknown[64];
        std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", code);
        text += unknown;
    }
    return text;
}

void CHyperLink::ShowLinkError(int code) const
{
    const std::string text = LinkErrorText(code);
    ::MessageBoxA(m_hWnd != nullptr ? GetParent() : nullptr, text.c_str(), ProgramTitle().c_str(),
                  MB_ICONEXCLAMATION | MB_OK);
}

void CHyperLink::RelayToTooltip(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    // The tooltip looks only at mouse messages; it needs them to know when to show.
    if (m_tooltip == nullptr || msg < WM_MOUSEFIRST || msg > WM_MOUSELAST)
        return;
    MSG relayed{};
    relayed.hwnd = m_hWnd;
    relayed.message = msg;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(::GetMessageTime());
    ::GetCursorPos(&relayed.pt);
    ::SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CHyperLink::OnMouseMove(POINT pt)
{
    if (!m_over) {
        m_over = true;
        Invalidate(true);
        SetCapture();
        return;
    }
    const RECT client = GetClientRect();
    if (::PtInRect(&client, pt))
        return;
    m_over = false;
    ::ReleaseCapture();
    Invalidate(true);
}

void CHyperLink::OnLButtonDown()
{
    if (m_style & HLS_FOCUS_ON_CLICK)
        SetFocus();
    if (m_style & HLS_DOWN_CLICK)
        ActivateLink();
    m_active = true;
}

void CHyperLink::OnLButtonUp()
{
    if (m_active && !(m_style & HLS_DOWN_CLICK))
        ActivateLink();
}

LRESULT CHyperLink::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    RelayToTooltip(msg, wParam, lParam);
    switch (msg) {
    case WM_REFLECT_CTLCOLORSTATIC: {
        // Transparent text on a null brush: the skin behind the link shows through.
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, TextColour());
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    case WM_SETCURSOR:
        if (g_handPointer == nullptr)
            break;
        ::SetCursor(g_handPointer);
        return TRUE;
    case WM_NCHITTEST:
        return HTCLIENT;  // a static is otherwise transparent to the mouse
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return 0;
    case WM_SETFOCUS:
        m_active = true;
        Invalidate(true);
        return 0;
    case WM_KILLFOCUS:
        m_over = false;
        m_active = false;
        Invalidate(true);
        return 0;
    case WM_DESTROY:
        // The tooltip goes with the control; forget its handle before it can be reused.
        if (m_tooltip != nullptr) {
            ::DestroyWindow(m_tooltip);
            m_tooltip = nullptr;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            ActivateLink();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}
