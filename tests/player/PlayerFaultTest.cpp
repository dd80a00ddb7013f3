// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual player's faults, each switched on alone and seen at the registers.
#include <gtest/gtest.h>

#include <vector>

#include "player/VirtualPlayer.h"
#include "tests/player/PortHost.h"

namespace {

bool AllEqual(const std::vector<uint8_t>& page, uint8_t v, size_t n = 512)
{
    for (size_t i = 0; i < n; ++i)
        if (page[i] != v)
            return false;
    return true;
}

}  // namespace

TEST(PlayerFaults, NeverReadyStrikesForTheChosenNumberOfOperations)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    player.Faults().AddNeverReady(EFaultPhase::Erase, 2);
    host.Erase(0, 0);
    const uint64_t struckAt = player.Accesses();
    EXPECT_FALSE(host.WaitReady(20000));
    host.Erase(0, 0);  // the next command abandons the hung erase and hangs again
    EXPECT_FALSE(host.WaitReady(20000));
    host.Erase(0, 0);
    EXPECT_TRUE(host.WaitReady(1));
    const SPlayerEvent* e = player.Log().Find(EPlayerEvent::Fault, "never ready (erase)");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->access, struckAt - 1) << "logged at the falling edge that latched the erase confirm";
    EXPECT_EQ(player.Log().Count(EPlayerEvent::Fault), 2u);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();

    // Program: forever, after one operation passes.
    player.Faults().AddNeverReady(EFaultPhase::Program, CFaultPlan::kForever, 1);
    const std::vector<uint8_t> zero(528, 0);
    host.Program(0, 1, zero.data(), 528);
    EXPECT_TRUE(host.WaitReady(1));
    for (int i = 0; i < 3; ++i) {
        host.Program(0, 2, zero.data(), 528);
        EXPECT_FALSE(host.WaitReady(1000));
    }
}

TEST(PlayerFaults, NeverReadyWhileLoadingAPage)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    // Read address of one chosen page (internal page 16384 is chip 1's page 0).
    player.Faults().AddNeverReadyAt(EFaultPhase::ReadAddress, EMemory::Internal, 16384, 1);
    host.Read(0, 0, 1);
    EXPECT_TRUE(host.WaitReady(1));
    host.Select(1);
    host.Flash(0x00);
    host.Cmd(0xA2); host.Dat(0); host.Dat(0); host.Dat(0);
    EXPECT_FALSE(host.WaitReady(5000));

    // After a page: the last byte starts loading the next page, which hangs.
    player.Faults().AddNeverReady(EFaultPhase::AfterPage, 1);
    host.Read(1, 7, 527);
    EXPECT_TRUE(host.WaitReady(1));
    host.ReadByte();
    EXPECT_FALSE(host.WaitReady(5000));
    EXPECT_NE(player.Log().Find(EPlayerEvent::Fault, "page 8: never ready (after page)"), nullptr)
        << player.Log().Dump();
}

TEST(PlayerFaults, BadAndWeakPagesDoNotHoldAPattern)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    const std::vector<uint8_t> aa(528, 0xAA), x55(528, 0x55);
    auto holds = [&](uint32_t row, const std::vector<uint8_t>& pattern) {
        host.Erase(0, row & ~15u);
        host.WaitReady();
        host.Program(0, row, pattern.data(), 528);
        host.WaitReady();
        return AllEqual(host.Read(0, row), pattern[0]);
    };
    player.Faults().AddBadBlock(EMemory::Internal, 3);  // pages 192 to 255
    EXPECT_TRUE(holds(191, aa));
    EXPECT_FALSE(holds(192, aa));
    EXPECT_FALSE(holds(192, x55));
    EXPECT_FALSE(holds(255, x55));
    EXPECT_TRUE(holds(256, x55));

    player.Faults().AddWeakPage(EMemory::Internal, 300, 2);
    EXPECT_TRUE(holds(300, aa));
    EXPECT_TRUE(holds(300, x55));
    EXPECT_FALSE(holds(300, aa));
    EXPECT_TRUE(holds(301, aa)) << "only the weak page wears out";

    player.Faults().AddWeakUnit(EMemory::Internal, 405, 1);  // unit of pages 400 to 415
    EXPECT_TRUE(holds(400, aa));
    EXPECT_FALSE(holds(415, aa));
    EXPECT_TRUE(holds(416, aa));
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
}

TEST(PlayerFaults, ReadFlipsChangeWhatIsReadNotWhatIsStored)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    const std::vector<uint8_t> zero(528, 0);
    host.Program(0, 5, zero.data(), 528);
    player.Faults().AddReadFlip(EMemory::Internal, 5, 10, 0x81, 1);
    std::vector<uint8_t> page = host.Read(0, 5);
    EXPECT_EQ(page[10], 0x81);
    EXPECT_EQ(page[9], 0x00);
    EXPECT_EQ(host.Read(0, 5), zero) << "the flip struck once";
    EXPECT_EQ(player.Page(EMemory::Internal, 5)[10], 0x00);

    player.Faults().SetRandomReadFlips(64);
    int flipped = 0;
    for (int i = 0; i < 4; ++i)
        for (uint8_t b : host.Read(0, 5))
            flipped += b != 0;
    EXPECT_GT(flipped, 8);
    EXPECT_LT(flipped, 100);
}

TEST(PlayerFaults, MissingCardReadsAsNothing)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0x75;
    CVirtualPlayer player(o);
    CPortHost host(player);
    host.Wake();
    uint8_t maker = 0, device = 0;
    player.Faults().SetCardMissing(true);
    host.Identify(4, &maker, &device);
    EXPECT_EQ(maker, 0xFF);
    EXPECT_EQ(device, 0xFF);
    player.Faults().SetCardMissing(false);
    host.Identify(4, &maker, &device);
    EXPECT_EQ(device, 0x75);
}

TEST(PlayerFaults, PowerCutBetweenOperationsLeavesNothingAttached)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    const uint64_t cutAfter = player.Accesses() + 10;
    player.Faults().CutPowerAfter(cutAfter, ECutMode::BetweenOperations);
    const std::vector<uint8_t> zero(528, 0);
    host.Program(0, 0, zero.data(), 528);  // its strobes go nowhere
    EXPECT_FALSE(player.Powered());
    EXPECT_EQ(host.Status(), 0x7F);
    EXPECT_EQ(player.Page(EMemory::Internal, 0)[0], 0x00) << "block 0 still holds the directory header";
    EXPECT_EQ(player.Page(EMemory::Internal, 0)[0x14], 0x00);
    EXPECT_EQ(player.Page(EMemory::Internal, 0)[0x15], 0x01);
    const SPlayerEvent* e = player.Log().Find(EPlayerEvent::Power, "power cut");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->access, cutAfter + 1);

    player.Reconnect();
    EXPECT_FALSE(player.Awake());
    uint8_t maker = 0, device = 0;
    host.Wake();
    host.Identify(0, &maker, &device);
    EXPECT_EQ(device, 0xE6);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
}

TEST(PlayerFaults, TornProgramAndTornEraseStoreOnlyPart)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    const std::vector<uint8_t> zero(528, 0);
    player.Faults().CutPowerAfter(player.Accesses(), ECutMode::TornProgram);
    host.Program(0, 64, zero.data(), 528);
    EXPECT_FALSE(player.Powered());
    const uint8_t* page = player.Page(EMemory::Internal, 64);
    size_t prefix = 0;
    while (prefix < 528 && page[prefix] == 0x00)
        ++prefix;
    EXPECT_LT(prefix, 528u);
    for (size_t i = prefix; i < 528; ++i)
        ASSERT_EQ(page[i], 0xFF) << "beyond the torn prefix the page stays erased";

    player.Reconnect();
    host.Wake();
    for (uint32_t row = 128; row < 144; ++row)
        host.Program(0, row, zero.data(), 528);
    player.Faults().CutPowerAfter(player.Accesses(), ECutMode::TornErase);
    host.Erase(0, 128);
    EXPECT_FALSE(player.Powered());
    uint32_t erased = 0;
    while (erased < 16 && player.Page(EMemory::Internal, 128 + erased)[0] == 0xFF)
        ++erased;
    EXPECT_LT(erased, 16u);
    for (uint32_t row = 128 + erased; row < 144; ++row)
        EXPECT_EQ(player.Page(EMemory::Internal, row)[0], 0x00);
    EXPECT_NE(player.Log().Find(EPlayerEvent::Fault, "erase torn"), nullptr) << player.Log().Dump();
}
