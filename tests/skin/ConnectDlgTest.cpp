// SPDX-License-Identifier: GPL-3.0-or-later
// The connect window's picture file: missing, damaged, without colours, good;
// each with its message (or none) and palette, read from the current directory.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "mainwindow/ConnectDlg.h"
#include "tests/skin/BmpBuilder.h"
#include "tests/skin/SkinTestSupport.h"
#include "win/CurrentDirectory.h"

#include <cstdio>

namespace {

class ConnectDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "quavel-connect-" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(m_dir.c_str(), nullptr);
        ASSERT_TRUE(CCurrentDirectoryKeeper::Set(m_dir));
    }
    void TearDown() override {
        ::DeleteFileA((m_dir + "\\connect.bmp").c_str());
        CCurrentDirectoryKeeper::Set(m_keeper.Saved());
        ::RemoveDirectoryA(m_dir.c_str());
    }
    void WritePicture(const std::vector<uint8_t>& bytes) {
        std::FILE* f = std::fopen("connect.bmp", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    // Constructs the window object, answering and recording its messages.
    std::vector<CMessageBoxAnswerer::Box> Construct(std::unique_ptr<CConnectDlg>& dlg) {
        CMessageBoxAnswerer answerer;
        dlg = std::make_unique<CConnectDlg>();
        return answerer.Boxes();
    }

    CCurrentDirectoryKeeper m_keeper;
    std::string m_dir;
};

TEST_F(ConnectDlgTest, MissingFileIsSilent) {
    std::unique_ptr<CConnectDlg> dlg;
    EXPECT_TRUE(Construct(dlg).empty());
    EXPECT_EQ(dlg->Palette(), nullptr);
    EXPECT_EQ(dlg->Picture().Width(), 16);
}

TEST_F(ConnectDlgTest, DamagedFileIsReportedAndLeavesNoPalette) {
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{'B', 'M', 1, 2, 3}, std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a'},
          std::vector<uint8_t>{}}) {
        WritePicture(bytes);
        std::unique_ptr<CConnectDlg> dlg;
        const auto boxes = Construct(dlg);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Failed to load DIB file 'connect.bmp'");
        EXPECT_EQ(boxes[0].caption, ApplicationName());
        EXPECT_EQ(dlg->Palette(), nullptr);
        EXPECT_EQ(dlg->Picture().Width(), 16);
    }
}

TEST_F(ConnectDlgTest, ImageWithoutColoursGivesAnEmptyPalette) {
    BmpBuilder b;
    b.bitCount = 24;
    b.tableEntries = 0;
    WritePicture(b.Build());
    std::unique_ptr<CConnectDlg> dlg;
    const auto boxes = Construct(dlg);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to create palette from DIB file");
    ASSERT_NE(dlg->Palette(), nullptr);
    EXPECT_FALSE(*dlg->Palette());
}

TEST_F(ConnectDlgTest, GoodFileGivesItsPaletteAndTheWindowPaints) {
    BmpBuilder b;
    b.clrUsed = 16;
    b.tableEntries = 16;
    WritePicture(b.Build());
    std::unique_ptr<CConnectDlg> dlg;
    EXPECT_TRUE(Construct(dlg).empty());
    ASSERT_NE(dlg->Palette(), nullptr);
    ASSERT_TRUE(*dlg->Palette());
    PALETTEENTRY entries[256] = {};
    EXPECT_EQ(::GetPaletteEntries(dlg->Palette()->Get(), 0, 256, entries), 16u);
    uint8_t bgr[3];
    BmpBuilder::Colour(9, bgr);
    EXPECT_EQ(entries[9].peRed, bgr[2]);
    EXPECT_EQ(entries[9].peBlue, bgr[0]);

    ASSERT_TRUE(dlg->Create());
    ::UpdateWindow(dlg->Handle());
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    EXPECT_TRUE(dlg->IsWindow());
    dlg->EndDialog(IDOK);
    EXPECT_FALSE(dlg->IsWindow());
}

}  // namespace
