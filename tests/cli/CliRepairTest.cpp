// SPDX-License-Identifier: GPL-3.0-or-later
// check and repair on damaged directories of the virtual player, and the dump
// image read back offline (list --image, extract) and put back (restore).
#include "tests/cli/CliTestSupport.h"

#include "cli/CliFiles.h"

#include <filesystem>
#include <functional>

namespace {

constexpr long long kPageBytes = 528;
constexpr long long kBlockBytes = 64 * kPageBytes;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Changes block 0 of an image file in place (its data bytes); stamp gives
// the changed directory sound checksums, as a program that wrote it would.
void EditDirectory(const std::string& image, const std::function<void(CRioDevice&)>& edit, bool stamp)
{
    std::vector<uint8_t> file = ReadFile(image);
    ASSERT_GE(file.size(), size_t(kBlockBytes));
    CVirtualPlayer unused;
    CRioDevice dev(unused);
    for (int p = 0; p < 64; ++p)
        std::copy_n(file.begin() + p * kPageBytes, 512, dev.Directory() + p * 512);
    edit(dev);
    if (stamp) {
        RioPut16(dev.Directory() + 0x10, BodyChecksum(dev.Directory()));
        RioPut16(dev.Directory() + 0x0E, HeaderChecksum(dev.Directory()));
    }
    for (int p = 0; p < 64; ++p)
        std::copy_n(dev.Directory() + p * 512, 512, file.begin() + p * kPageBytes);
    ASSERT_TRUE(WriteFile(image, file));
}

// Files A (blocks 1, 2), B (3), C (4, 5, 6) and D (7, 8) in this order.
const char* const kNames[] = {"A.mp3", "B.mp3", "C.mp3", "D.mp3"};
const size_t kSizes[] = {40000, 20000, 70000, 65536};

struct SDamage {
    const char* name;
    std::function<void(CRioDevice&)> edit;
    bool stamp;
    std::vector<std::string> found; // fragments check prints
    std::string kept;               // first letters of the entries a repair keeps
    std::string freed;              // the plan's "blocks freed:" line
    std::string whole;              // dropped entries whose salvage is the whole file
};

void AddUsed(CRioDevice& d, int n)
{
    DirectoryHeader h = d.GetHeader();
    h.used = uint16_t(h.used + n);
    h.free = uint16_t(h.free - n);
    d.SetHeader(h);
}

// clang-format off
const SDamage kDamages[] = {
    {"checksum", [](CRioDevice& d) { d.Directory()[0x1000] ^= 1; }, false, {"body checksum"}, "ABCD", " none", ""},
    {"count", [](CRioDevice& d) { RioPut16(d.Directory(), 61); }, true, {"61 entries in use, at most 60"}, "ABCD",
     " none", ""},
    {"free count", [](CRioDevice& d) { AddUsed(d, -1); }, true, {"1016 blocks counted free, the state table marks 1015"},
     "ABCD", " none", ""},
    {"outside", [](CRioDevice& d) { d.SetBlockLink(5, 2000); }, true,
     {"entry 3 'C.mp3': block 2000 of the chain lies outside the memory"}, "ABD", " 4 5 6", ""},
    {"too short", [](CRioDevice& d) { d.SetBlockLink(7, 0); }, true,
     {"entry 4 'D.mp3': the chain ends after 1 blocks", "block 8: marked used, but no file holds it"}, "ABC",
     " 7 8", ""},
    {"too long", [](CRioDevice& d) { d.SetBlockLink(3, 9); }, true, {"links on to block 9"}, "ACD", " 3", "B"},
    {"loop", [](CRioDevice& d) { d.SetBlockLink(5, 4); }, true, {"the chain comes back to block 4"}, "ABD",
     " 4 5 6", ""},
    {"last link", [](CRioDevice& d) { d.SetBlockLink(2, kRioNoBlock); }, true,
     {"entry 1 'A.mp3': the last block 2 links to 0xFFFF, not 0"}, "BCD", " 1 2", "A"},
    {"free-marked", [](CRioDevice& d) { d.SetBlockState(5, kRioBlockFree); AddUsed(d, -1); }, true,
     {"block 5 of the chain is marked free"}, "ABCD", " none", ""},
    {"bad-marked", [](CRioDevice& d) { d.SetBlockState(3, kRioBlockBad); }, true, {"block 3 of the chain is marked bad"},
     "ACD", " none", "B"},
    {"shared", [](CRioDevice& d) { std::copy_n(d.EntrySlot(1), 0x1C, d.EntrySlot(3)); }, true,
     {"entry 4 'D.mp3': block 3 is also in the chain of entry 2 'B.mp3'", "block 7: marked used"}, "ABC", " 7 8", ""},
    {"unheld", [](CRioDevice& d) { d.SetBlockState(9, kRioBlockUsed); AddUsed(d, 1); }, true,
     {"block 9: marked used, but no file holds it"}, "ABCD", " 9", ""},
    {"mixture", [](CRioDevice& d) {
         d.SetBlockLink(2, kRioNoBlock);
         d.SetBlockState(5, kRioBlockFree);
         std::copy_n(d.EntrySlot(1), 0x1C, d.EntrySlot(3));
     }, false, {"body checksum", "links to 0xFFFF", "marked free", "also in the chain", "counted free"}, "BC",
     " 1 2 7 8", "A"},
};
// clang-format on

class CliRepair : public CCliTest {
protected:
    // A player holding the four files; their PC copies are in Path("src").
    void Fill(const std::string& dir)
    {
        std::filesystem::create_directories(Path("src"));
        std::vector<std::string> args{"put"};
        for (int i = 0; i < 4; ++i)
            args.push_back(MakeFile("src/" + std::string(kNames[i]), kSizes[i], uint32_t(i + 1)));
        std::vector<std::string> all{"--virtual-player=" + dir, kQuickSpeed};
        all.insert(all.end(), args.begin(), args.end());
        ASSERT_EQ(RunQuavelCli(all).code, kExitDone);
    }
};

TEST_F(CliRepair, EachFaultIsNamedAndRepairKeepsTheSoundFiles)
{
    const std::string dir = PlayerDir();
    Fill(dir);
    const std::string image = dir + "/internal.img";
    const std::vector<uint8_t> sound = ReadFile(image);
    for (const SDamage& damage : kDamages) {
        SCOPED_TRACE(damage.name);
        ASSERT_TRUE(WriteFile(image, sound));
        EditDirectory(image, damage.edit, damage.stamp);
        const std::vector<uint8_t> before = ReadFile(image);

        const SCliRun check = Cli({"check"}, dir);
        EXPECT_EQ(check.code, kExitFailed) << check.err;
        for (const std::string& fragment : damage.found)
            EXPECT_TRUE(Contains(check.out, fragment)) << check.out;
        const SCliRun dry = Cli({"repair", "--dry-run"}, dir);
        EXPECT_TRUE(Contains(dry.out, "blocks freed:" + damage.freed + "\n")) << dry.out;
        EXPECT_EQ(ReadFile(image), before) << "a dry run changes nothing";

        const std::string salvage = Path(std::string("salvage-") + damage.name);
        const SCliRun repair = Cli({"repair", "--salvage", salvage}, dir);
        ASSERT_EQ(repair.code, kExitDone) << repair.err;
        EXPECT_EQ(dry.out.substr(0, dry.out.find("dry run")),
                  repair.out.substr(0, repair.out.find("directory written")));
        EXPECT_EQ(Cli({"check"}, dir).out, "no faults\n");
        // Nothing but block 0 changed on the player.
        const std::vector<uint8_t> after = ReadFile(image);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_TRUE(std::equal(after.begin() + kBlockBytes, after.end(), before.begin() + kBlockBytes));

        CReopenedPlayer player(dir);
        ASSERT_TRUE(player.Read());
        std::string kept;
        for (const std::string& name : player.Names())
            kept += name[0];
        EXPECT_EQ(kept, damage.kept);
        const SCliRun verify = Cli({"verify", "--in", Path("src")}, dir);
        EXPECT_EQ(verify.code, kExitDone) << verify.out;
        for (int i = 0; i < 4; ++i) {
            const std::string salvaged = salvage + "/" + kNames[i] + ".salvaged";
            const bool dropped = damage.kept.find(kNames[i][0]) == std::string::npos;
            EXPECT_EQ(FileBytes(salvaged) >= 0, dropped) << salvaged;
            if (damage.whole.find(kNames[i][0]) != std::string::npos) {
                EXPECT_EQ(ReadFile(salvaged), ReadFile(Path("src/") + kNames[i])) << salvaged;
            }
        }
    }
}

TEST_F(CliRepair, AHalfWrittenDirectoryBlockIsNotRepaired)
{
    Fill(PlayerDir());
    const std::string image = PlayerDir() + "/internal.img";
    EditDirectory(image, [](CRioDevice& d) { std::fill_n(d.Directory(), 512, uint8_t(0xFF)); }, false);
    const std::vector<uint8_t> torn = ReadFile(image);
    EXPECT_TRUE(Contains(Cli({"check"}).out, "interrupted directory write"));
    const SCliRun repair = Cli({"repair"});
    EXPECT_EQ(repair.code, kExitFailed);
    EXPECT_TRUE(Contains(repair.err, "interrupted write")) << repair.err;
    EXPECT_EQ(ReadFile(image), torn);
}

TEST_F(CliRepair, DumpExtractAndRestoreGiveTheSameFiles)
{
    Fill(PlayerDir());
    ASSERT_EQ(Cli({"dump", Path("copy")}).code, kExitDone);
    const std::string image = Path("copy/internal.img");
    const std::string out = Path("out");
    std::filesystem::create_directories(out);
    ASSERT_EQ(Cli({"extract", image, "--to", out}).code, kExitDone);
    for (const char* name : kNames)
        EXPECT_EQ(ReadFile(out + "/" + name), ReadFile(Path("src/") + name)) << name;

    // Onto a 2 MB card the files do not fit: refused before any change.
    ASSERT_EQ(Cli({"--card-size=2", "--card", "list"}).code, kExitDone);
    const SCliRun big = Cli({"--card", "put", MakeFile("big.mp3", 1900000, 9)});
    ASSERT_EQ(big.code, kExitDone) << big.err;
    const std::vector<uint8_t> full = ReadFile(PlayerDir() + "/card.img");
    const SCliRun refused = Cli({"--card", "restore", image});
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_TRUE(Contains(refused.err, "do not fit")) << refused.err;
    EXPECT_EQ(ReadFile(PlayerDir() + "/card.img"), full);

    const SCliRun list = Cli({"list"});
    ASSERT_EQ(Cli({"format"}).code, kExitDone);
    ASSERT_EQ(Cli({"restore", image}).code, kExitDone);
    const auto withoutDates = [](const std::string& text) {
        std::string kept;
        for (size_t at = 0, end; at < text.size(); at = end + 1) {
            end = text.find('\n', at);
            kept += text.substr(at, std::min(end - at, size_t(30))) + "\n";
        }
        return kept;
    };
    EXPECT_EQ(withoutDates(Cli({"list"}).out), withoutDates(list.out));
    EXPECT_EQ(Cli({"verify", "--in", Path("src")}).code, kExitDone);

    // A damaged image says so; its sound files still come out.
    EditDirectory(
        image, [](CRioDevice& d) { d.SetBlockLink(5, 4); }, true);
    const SCliRun listed = RunQuavelCli({"list", "--image", image});
    EXPECT_EQ(listed.code, kExitFailed);
    EXPECT_TRUE(Contains(listed.err, "entry 3 'C.mp3': the chain comes back to block 4")) << listed.err;
    const std::string damaged = Path("damaged");
    std::filesystem::create_directories(damaged);
    EXPECT_EQ(RunQuavelCli({"extract", image, "--to", damaged}).code, kExitFailed);
    EXPECT_EQ(ReadFile(damaged + "/D.mp3"), ReadFile(Path("src/D.mp3")));
    EXPECT_EQ(FileBytes(damaged + "/C.mp3"), -1);
}

} // namespace
