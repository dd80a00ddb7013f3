// SPDX-License-Identifier: GPL-3.0-or-later
// Help: the help engine when the help file is there, else the user guide at
// the topic's anchor (in the registered browser, else by the links' shell call), else one message naming
// both files; and the guide the build writes beside Quavel.exe anchors every
// topic of the program's table.
#include "tests/about/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/Application.h"
#include "app/Help.h"
#include "app/HelpTopics.h"

namespace {

using linktest::ShellCalls;

struct SEngineCall {
    std::string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<SEngineCall> g_engineCalls;

bool RecordEngine(HWND, const char* file, UINT command, ULONG_PTR data)
{
    g_engineCalls.push_back({file, command, data});
    return true;
}

std::string Folder(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Help : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        // A space in the folder name, as in "Program Files".
        folder = std::string(temp) + "quavel help " + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(folder.c_str(), nullptr);
        helpFile = folder + "\\Quavel.HLP";
        guide = folder + "\\Quavel.html";
        g_engineCalls.clear();
        ShellCalls().clear();
        linktest::ShellResult() = 42;
        oldShell = CHyperLink::SetShellOpen(linktest::RecordShellOpen);
        oldWinHelp = SetWinHelpCall(RecordEngine);
    }
    void TearDown() override
    {
        CHyperLink::SetShellOpen(oldShell);
        SetWinHelpCall(oldWinHelp);
        ::DeleteFileA(helpFile.c_str());
        ::DeleteFileA(guide.c_str());
        ::RemoveDirectoryA(folder.c_str());
    }

    std::string folder;
    std::string helpFile;
    std::string guide;
    linktest::CTestClassRoot root; // no browser registered unless a test says so
    CHyperLink::ShellOpenCall oldShell = nullptr;
    HelpEngine oldWinHelp = nullptr;
};

TEST_F(Help, NamesTheHelpFileAndTheGuideAfterTheExecutable)
{
    EXPECT_EQ(HelpFileFor("C:\\Apps\\Quavel.exe"), "C:\\Apps\\Quavel.HLP");
    EXPECT_EQ(GuideFileFor("C:\\Apps\\Quavel.exe"), "C:\\Apps\\Quavel.html");
    EXPECT_EQ(GuideFileFor("C:\\Apps\\Quavel.HLP"), "C:\\Apps\\Quavel.html");
    EXPECT_EQ(GuideFileFor("C:\\My.Apps\\Quavel"), "C:\\My.Apps\\Quavel.html");
    EXPECT_EQ(GuideTarget("C:\\Program Files\\Quavel 100%\\Quavel.html", 0x2008E),
              "file:///C:/Program%20Files/Quavel%20100%25/Quavel.html#0x2008E");
    EXPECT_EQ(GuideTarget("C:\\A#B\\Quavel.html", 0x20064), "file:///C:/A%23B/Quavel.html#0x20064");
}

TEST_F(Help, WithTheHelpFileTheEngineOpensTheTopic)
{
    WriteFile(helpFile, "help");
    WriteFile(guide, "<html></html>");
    EXPECT_TRUE(OpenHelp(nullptr, helpFile.c_str(), HELP_CONTEXT, 0x20086));
    ASSERT_EQ(g_engineCalls.size(), 1u);
    EXPECT_EQ(g_engineCalls[0].file, helpFile);
    EXPECT_EQ(g_engineCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(g_engineCalls[0].data, 0x20086u);
    EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(Help, WithoutItTheGuideOpensAtEachWindowsAnchor)
{
    WriteFile(guide, "<html></html>");
    for (const HelpTopic& topic : kHelpTopics)
        EXPECT_TRUE(OpenHelp(nullptr, helpFile.c_str(), HELP_CONTEXT, topic.context)) << topic.window;
    EXPECT_TRUE(g_engineCalls.empty());
    ASSERT_EQ(ShellCalls().size(), std::size(kHelpTopics));
    std::string base = "file:///";
    for (char c : guide)
        base += c == '\\' ? std::string("/") : c == ' ' ? std::string("%20") : std::string(1, c);
    for (size_t i = 0; i < std::size(kHelpTopics); ++i) {
        char anchor[16];
        std::snprintf(anchor, sizeof anchor, "#0x%lX", kHelpTopics[i].context);
        EXPECT_EQ(ShellCalls()[i].target, base + anchor);
        EXPECT_EQ(ShellCalls()[i].show, SW_SHOWNORMAL);
    }
    EXPECT_EQ(ShellCalls()[1].target.substr(ShellCalls()[1].target.size() - 8), "#0x20066");
}

TEST_F(Help, TheRegisteredBrowserGetsTheGuideWithItsAnchor)
{
    WriteFile(guide, "<html></html>");
    linktest::CLinkRecorder browser;
    root.SetPageCommand(browser.program + " \"%1\"");
    EXPECT_TRUE(OpenHelp(nullptr, helpFile.c_str(), HELP_CONTEXT, kHelpMainWindow));
    EXPECT_EQ(browser.Recorded(), browser.program + "  " + GuideTarget(guide, kHelpMainWindow));
    EXPECT_TRUE(ShellCalls().empty()); // the shell may drop the anchor
}

TEST_F(Help, ClosingGoesToTheEngineWhetherOrNotTheFileIsThere)
{
    EXPECT_TRUE(OpenHelp(nullptr, helpFile.c_str(), HELP_QUIT, 0));
    ASSERT_EQ(g_engineCalls.size(), 1u);
    EXPECT_EQ(g_engineCalls[0].command, static_cast<UINT>(HELP_QUIT));
    EXPECT_TRUE(ShellCalls().empty());
}

TEST_F(Help, WhenNeitherOpensOneMessageNamesBothFiles)
{
    struct SCase {
        bool guidePresent;
        int shellResult;
        const char* reason;
    } cases[] = {
        {false, 42, "The specified file was not found."},
        {true, SE_ERR_NOASSOC, "There is no application associated\nwith the given filename extension."},
    };
    const std::string caption = ApplicationName();
    for (const SCase& c : cases) {
        ShellCalls().clear();
        ::DeleteFileA(guide.c_str());
        if (c.guidePresent)
            WriteFile(guide, "<html></html>");
        linktest::ShellResult() = c.shellResult;
        std::string shown;
        std::thread answer([&] {
            HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), caption.c_str());
            if (box == nullptr)
                return;
            shown = wintest::MessageBoxText(box);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_FALSE(OpenHelp(nullptr, helpFile.c_str(), HELP_CONTEXT, kHelpMainWindow));
        answer.join();
        EXPECT_NE(shown.find(helpFile), std::string::npos) << shown;
        EXPECT_NE(shown.find(guide), std::string::npos) << shown;
        EXPECT_NE(shown.find(c.reason), std::string::npos) << shown;
        EXPECT_EQ(ShellCalls().size(), c.guidePresent ? 1u : 0u);
        EXPECT_TRUE(g_engineCalls.empty());
    }
}

TEST(UserGuide, BesideTheProgramAnchorsEveryTopicAndEveryLinkWithinIt)
{
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string page = ReadFile(Folder(self) + "\\" QUAVEL_GUIDE_FROM_TEST);
    ASSERT_FALSE(page.empty()) << "Quavel.html not found beside Quavel.exe";

    std::set<std::string> ids;
    const std::regex idPattern("id=\"([^\"]+)\"");
    for (std::sregex_iterator it(page.begin(), page.end(), idPattern), end; it != end; ++it)
        ids.insert((*it)[1]);
    for (const HelpTopic& topic : kHelpTopics)
        EXPECT_EQ(ids.count(GuideAnchor(topic.context)), 1u) << topic.window << " has no section";

    const std::regex hrefPattern("href=\"#([^\"]+)\"");
    int links = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), hrefPattern), end; it != end; ++it, ++links)
        EXPECT_EQ(ids.count((*it)[1]), 1u) << "link to a missing section #" << (*it)[1];
    EXPECT_GE(links, static_cast<int>(std::size(kHelpTopics)));
}

}  // namespace
