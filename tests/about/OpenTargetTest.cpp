// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a link's target: the shell first, then the program registered for web
// pages, started with a command line cut from its template. A recorder program
// stands in for the browser and writes down the command line it got.
#include "tests/about/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

using linktest::ShellCalls;

class OpenTarget : public testing::Test {
protected:
    void SetUp() override
    {
        ShellCalls().clear();
        linktest::ShellResult() = SE_ERR_FNF;  // the shell fails: the fallback runs
        oldShell = CHyperLink::SetShellOpen(linktest::RecordShellOpen);
    }
    void TearDown() override { CHyperLink::SetShellOpen(oldShell); }

    std::string Recorded() { return browser.Recorded(); }

    linktest::CTestClassRoot root;
    linktest::CLinkRecorder browser;
    const std::string& recorder = browser.program;
    const std::string& record = browser.record;
    CHyperLink::ShellOpenCall oldShell = nullptr;
};

TEST_F(OpenTarget, TheShellsSuccessIsReturnedAtOnce)
{
    root.SetPageCommand(recorder + " \"%1\"");
    linktest::ShellResult() = 42;
    EXPECT_EQ(CHyperLink::OpenTarget("http://www.kestry.example/", SW_SHOWNORMAL), 42);
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].target, "http://www.kestry.example/");
    EXPECT_EQ(ShellCalls()[0].show, SW_SHOWNORMAL);
}

TEST_F(OpenTarget, TheFallbackCutsTheTemplateAtThePlaceholderAndAppendsTheTarget)
{
    const std::string target = "http://www.kestry.example/a?b=c";
    struct SCase {
        std::string commandTemplate;
        std::string expected;
    } cases[] = {
        // Up to the space before the quoted placeholder, one more space, the target unquoted.
        {recorder + " \"%1\"", recorder + "  " + target},
        {recorder + " %1", recorder + "  " + target},
        // What follows the placeholder is dropped.
        {recorder + " -new \"%1\" -tail", recorder + " -new  " + target},
        // No placeholder: one space and the target after the whole template.
        {recorder, recorder + " " + target},
        {recorder + " -page", recorder + " -page " + target},
    };
    for (const SCase& c : cases) {
        root.SetPageCommand(c.commandTemplate);
        const int result = CHyperLink::OpenTarget(target.c_str(), SW_SHOWNORMAL);
        EXPECT_GT(result, 32) << c.commandTemplate;
        EXPECT_EQ(Recorded(), c.expected) << c.commandTemplate;
    }
    EXPECT_EQ(ShellCalls().size(), 5u);
}

TEST_F(OpenTarget, ACommandLineThatDoesNotFitIsRefusedWholeAndTheShellsCodeStands)
{
    root.SetPageCommand(recorder + " \"%1\"");
    // The command line is the template up to the placeholder, a space and the target;
    // 519 characters fit (with the terminator 520), 520 do not.
    const size_t fixed = recorder.size() + 2;
    const std::string fits = "http://www.kestry.example/" + std::string(519 - fixed - 26, 'x');
    ASSERT_EQ(fixed + fits.size(), 519u);
    EXPECT_GT(CHyperLink::OpenTarget(fits.c_str(), SW_SHOWNORMAL), 32);
    EXPECT_EQ(Recorded(), recorder + "  " + fits);

    const std::string tooLong = fits + "y";
    EXPECT_EQ(CHyperLink::OpenTarget(tooLong.c_str(), SW_SHOWNORMAL), SE_ERR_FNF);
    const std::string huge(2000, 'z');
    EXPECT_EQ(CHyperLink::OpenTarget(huge.c_str(), SW_SHOWNORMAL), SE_ERR_FNF);
    // Neither was started (a start would have written the record by now or soon).
    EXPECT_EQ(::GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OpenTarget, WithoutAWebPageAssociationTheShellsCodeIsReported)
{
    linktest::ShellResult() = SE_ERR_NOASSOC;
    EXPECT_EQ(CHyperLink::OpenTarget("http://www.kestry.example/", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    EXPECT_EQ(CHyperLink::LinkErrorText(SE_ERR_NOASSOC),
              "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");

    // A class name without an open command.
    root.Clear();
    root.SetDefault(".htm", "QuavelTestPage");
    linktest::ShellResult() = SE_ERR_ACCESSDENIED;
    EXPECT_EQ(CHyperLink::OpenTarget("http://www.kestry.example/", SW_SHOWNORMAL), SE_ERR_ACCESSDENIED);

    // A class name longer than its 259 characters is not read.
    root.Clear();
    const std::string longName(300, 'c');
    root.SetDefault(".htm", longName);
    EXPECT_EQ(CHyperLink::OpenTarget("http://www.kestry.example/", SW_SHOWNORMAL), SE_ERR_ACCESSDENIED);
    EXPECT_EQ(::GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OpenTarget, TheRealShellReportsAFileOfNoKnownKind)
{
    // A local file, never a web address: the real shell call is safe here.
    CHyperLink::SetShellOpen(nullptr);
    const std::string file = wintest::TempFolder() + "\\quavel_link_test.qvlnoassoc";
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("x", out);
    std::fclose(out);
    const int result = CHyperLink::OpenTarget(file.c_str(), SW_SHOWNORMAL);
    ::DeleteFileA(file.c_str());
    EXPECT_LE(result, 32);
    EXPECT_EQ(result, SE_ERR_NOASSOC);
}

TEST(LinkErrorText, EveryCodeHasItsReason)
{
    const struct {
        int code;
        const char* reason;
    } table[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, "Unknown Error (1) occurred."},
        {4, "Unknown Error (4) occurred."},
        {-7, "Unknown Error (-7) occurred."},
        {33, "Unknown Error (33) occurred."},
    };
    for (const auto& row : table)
        EXPECT_EQ(CHyperLink::LinkErrorText(row.code), std::string("Can't open link:\n\n") + row.reason) << row.code;
}

}  // namespace
