// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the link tests: a recorder in place of the shell's open
// call, a class root of their own under the user's key, and what a control
// paints, read back as pixels.
#pragma once

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "skin/HyperLink.h"
#include "tests/win/WinTestSupport.h"

namespace linktest {

struct SShellCall {
    std::string target;
    int show;
};

// Written on the thread that opens links only.
inline std::vector<SShellCall>& ShellCalls()
{
    static std::vector<SShellCall> calls;
    return calls;
}
inline int& ShellResult()
{
    static int result = 42;
    return result;
}
inline int RecordShellOpen(const char* target, int show)
{
    ShellCalls().push_back({target, show});
    return ShellResult();
}

// A class root of the test's own (HKEY_CURRENT_USER\Software\QuavelLinkTest<pid>),
// empty at first, installed as the links' class root for the object's life.
class CTestClassRoot {
public:
    CTestClassRoot()
    {
        m_path = "Software\\QuavelLinkTest" + std::to_string(::GetCurrentProcessId());
        wintest::DeleteKeyTree(HKEY_CURRENT_USER, m_path);
        ::RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        m_old = CHyperLink::SetClassRoot(m_key);
    }
    ~CTestClassRoot()
    {
        CHyperLink::SetClassRoot(m_old);
        ::RegCloseKey(m_key);
        wintest::DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    }
    CTestClassRoot(const CTestClassRoot&) = delete;
    CTestClassRoot& operator=(const CTestClassRoot&) = delete;

    // Sets the default value of a key below the root.
    void SetDefault(const std::string& keyName, const std::string& value) const
    {
        HKEY key = nullptr;
        ::RegCreateKeyExA(m_key, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
        ::RegCloseKey(key);
    }
    void Clear() const
    {
        wintest::DeleteKeyTree(m_key, ".htm");
        wintest::DeleteKeyTree(m_key, "QuavelTestPage");
    }
    // Web pages opened by this command template.
    void SetPageCommand(const std::string& commandTemplate) const
    {
        Clear();
        SetDefault(".htm", "QuavelTestPage");
        SetDefault("QuavelTestPage\\shell\\open\\command", commandTemplate);
    }

private:
    std::string m_path;
    HKEY m_key = nullptr;
    HKEY m_old = nullptr;
};

// The stand-in browser: link_recorder.exe beside the test, which writes the
// command line it was started with to this object's record file.
class CLinkRecorder {
public:
    CLinkRecorder()
    {
        char self[MAX_PATH] = "";
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string folder(self, std::strrchr(self, '\\') - self);
        program = "\"" + folder + "\\link_recorder.exe\"";
        record = wintest::TempFolder() + "\\quavel_link_record_" + std::to_string(::GetCurrentProcessId()) + ".txt";
        ::DeleteFileA(record.c_str());
        ::SetEnvironmentVariableA("QUAVEL_LINK_RECORD", record.c_str());
    }
    ~CLinkRecorder() { ::DeleteFileA(record.c_str()); }

    // The command line the recorder was started with; empty when it was not.
    std::string Recorded() const
    {
        // Starting a process under Wine can take many seconds on a loaded machine.
        // The file may also be there but not yet open to readers: the rename that
        // puts it there holds it for a moment without sharing it for deletion.
        std::string text;
        wintest::WaitUntil(
            [&] {
                std::ifstream in(record, std::ios::binary);
                if (!in)
                    return false;
                std::stringstream content;
                content << in.rdbuf();
                text = content.str();
                return !text.empty();
            },
            60000);
        // Gone before the next start, so that no case reads the one before it.
        wintest::WaitUntil([&] {
            return ::DeleteFileA(record.c_str()) || ::GetFileAttributesA(record.c_str()) == INVALID_FILE_ATTRIBUTES;
        });
        return text;
    }

    std::string program; // quoted, as a command line starts with it
    std::string record;
};

// What a control paints onto a background of a colour no link uses, as
// rows of pixels.
struct SPainted {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    // The longest horizontal run of exactly this colour in any row.
    int LongestRun(COLORREF colour) const
    {
        int best = 0;
        for (int y = 0; y < height; ++y) {
            int run = 0;
            for (int x = 0; x < width; ++x) {
                run = pixels[static_cast<size_t>(y) * width + x] == colour ? run + 1 : 0;
                if (run > best)
                    best = run;
            }
        }
        return best;
    }
    int Count(COLORREF colour) const
    {
        int n = 0;
        for (COLORREF c : pixels)
            n += c == colour ? 1 : 0;
        return n;
    }
};

constexpr COLORREF kPaintBackground = RGB(10, 200, 10);

inline SPainted PaintOf(HWND control)
{
    SPainted out;
    RECT rc{};
    ::GetClientRect(control, &rc);
    out.width = rc.right;
    out.height = rc.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH background = ::CreateSolidBrush(kPaintBackground);
    ::FillRect(dc, &rc, background);
    ::DeleteObject(background);
    ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    const auto* raw = static_cast<const BYTE*>(bits);
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (size_t i = 0; i < out.pixels.size(); ++i)
        out.pixels[i] = RGB(raw[i * 4 + 2], raw[i * 4 + 1], raw[i * 4]);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return out;
}

// The text extent of a control's text in a font.
inline SIZE TextExtent(HWND control, HFONT font)
{
    char text[256] = "";
    ::GetWindowTextA(control, text, sizeof text);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return size;
}

}  // namespace linktest
