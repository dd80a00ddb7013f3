// SPDX-License-Identifier: GPL-3.0-or-later
// The ppdev backend: its ioctl sequence recorded against what the register
// traffic must become, claim and release on every path, and whole quavel-cli
// runs through ppdev answered by a virtual player.
#ifndef _WIN32
#include "tests/cli/CliTestSupport.h"

#include <sys/ioctl.h>
#include <linux/ppdev.h>

#include <cerrno>
#include <filesystem>

#include "cli/PpdevPortIO.h"

namespace {

constexpr uint16_t kBase = 0x378;

struct SCall {
    unsigned long request;
    int value;   // the byte written or answered; -1 for none
    bool operator==(const SCall& o) const { return request == o.request && value == o.value; }
};

std::ostream& operator<<(std::ostream& os, const SCall& c)
{
    return os << "{" << std::hex << c.request << ", " << c.value << std::dec << "}";
}

// Records what the backend asks of the system. Register ioctls go to a virtual
// player at 0x378 when there is one, else status reads answer `status`.
class CRecordingCalls : public CPpdevCalls {
public:
    int Open(const char* path) override
    {
        opened.push_back(path);
        if (failOpen) {
            errno = ENOENT;
            return -1;
        }
        ++openFiles;
        return 7;
    }
    int Ioctl(int fd, unsigned long request, void* arg) override
    {
        EXPECT_EQ(fd, 7);
        uint8_t* byte = static_cast<uint8_t*>(arg);
        if (request == PPCLAIM || request == PPRELEASE) {
            lifecycle.push_back(request);
            claimed += request == PPCLAIM ? 1 : -1;
            if (request == PPCLAIM && failClaim) {
                errno = EBUSY;
                return -1;
            }
            return 0;
        }
        EXPECT_EQ(claimed, 1) << "register access without the port claimed";
        if (request == failRequest) {
            errno = EIO;
            return -1;
        }
        switch (request) {
        case PPWDATA:
            if (player)
                player->PortWrite(kBase, *byte);
            break;
        case PPWCONTROL:
            if (player)
                player->PortWrite(kBase + 2, *byte);
            break;
        case PPRSTATUS:
            *byte = player ? player->PortRead(kBase + 1) : status;
            break;
        default:
            *byte = 0;
        }
        ++registerCalls;
        if (record)
            calls.push_back({request, static_cast<int>(*byte)});
        return 0;
    }
    void Close(int) override { --openFiles; }

    CVirtualPlayer* player = nullptr;
    uint8_t status = 0x7F;
    bool failOpen = false;
    bool failClaim = false;
    unsigned long failRequest = 0;
    bool record = true;
    std::vector<std::string> opened;
    std::vector<unsigned long> lifecycle;
    std::vector<SCall> calls;
    int claimed = 0;
    int openFiles = 0;
    uint64_t registerCalls = 0;
};

TEST(PpdevTest, RegisterTrafficBecomesTheRecordedIoctls)
{
    CRecordingCalls sys;
    sys.status = 0x87;   // both nibbles of a read decode to 0
    std::string error;
    {
        CPpdevPortIO port(sys, kBase);
        ASSERT_TRUE(port.Open("/dev/parport1", error)) << error;
        CRioDevice device(port);
        device.SetPort(kBase);
        device.SetIODelayRx(1);
        device.WriteCommand(0xAB);   // CMD: data, then the command strobe
        device.WriteData(0x04);      // DAT: data, then the data strobe
        EXPECT_EQ(device.ReadByte(), 0x00);
        device.ReleaseLink();
        // Addresses of another port never reach the driver.
        EXPECT_EQ(port.PortRead(0x279), CPpdevPortIO::kNothing);
        port.PortWrite(0x27A, 0x0C);
        EXPECT_EQ(port.Failure(), "");
    }
    const std::vector<SCall> expected = {
        {PPWDATA, 0xAB}, {PPWCONTROL, 0x0C}, {PPWCONTROL, 0x04},                     // CMD 0xAB
        {PPWDATA, 0x04}, {PPWCONTROL, 0x00}, {PPWCONTROL, 0x04},                     // DAT 0x04
        {PPWCONTROL, 0x00}, {PPRSTATUS, 0x87}, {PPRSTATUS, 0x87},                    // upper nibble
        {PPWCONTROL, 0x04}, {PPRSTATUS, 0x87}, {PPRSTATUS, 0x87},                    // lower nibble
        {PPWDATA, 0xAD}, {PPWCONTROL, 0x0C}, {PPWCONTROL, 0x04},                     // CMD 0xAD
        {PPWDATA, 0xFF}, {PPWCONTROL, 0x00}, {PPWCONTROL, 0x04},                     // DAT 0xFF
        {PPWDATA, 0x00},                                                              // data := 0
    };
    EXPECT_EQ(sys.calls, expected);
    EXPECT_EQ(sys.opened, std::vector<std::string>{"/dev/parport1"});
    EXPECT_EQ(sys.lifecycle, (std::vector<unsigned long>{PPCLAIM, PPRELEASE}));
    EXPECT_EQ(sys.openFiles, 0);
}

TEST(PpdevTest, FailuresToOpenOrClaimReleaseEverything)
{
    CRecordingCalls missing;
    missing.failOpen = true;
    std::string error;
    CPpdevPortIO a(missing, kBase);
    EXPECT_FALSE(a.Open("/dev/parport9", error));
    EXPECT_NE(error.find("/dev/parport9"), std::string::npos);
    EXPECT_TRUE(missing.lifecycle.empty());

    CRecordingCalls busy;
    busy.failClaim = true;
    CPpdevPortIO b(busy, kBase);
    EXPECT_FALSE(b.Open("/dev/parport0", error));
    EXPECT_NE(error.find("claim"), std::string::npos);
    EXPECT_EQ(busy.openFiles, 0);   // closed again
    EXPECT_FALSE(b.IsOpen());
    EXPECT_EQ(b.PortRead(kBase + 1), CPpdevPortIO::kNothing);   // no ioctl on a closed port
    EXPECT_EQ(busy.registerCalls, 0u);
}

class CPpdevCliTest : public CCliTest {
protected:
    SCliRun Ppdev(std::initializer_list<std::string> args)
    {
        std::vector<std::string> all{"--parport=/dev/parport3", kQuickSpeed};
        all.insert(all.end(), args.begin(), args.end());
        return RunQuavelCli(all, &m_sys);
    }
    CRecordingCalls m_sys;
};

TEST_F(CPpdevCliTest, CommandsRunThroughPpdevAndReleaseThePort)
{
    SPlayerOptions o = QuickPlayer();
    o.imageDir = PlayerDir();
    std::filesystem::create_directory(PlayerDir());
    CVirtualPlayer player(o);
    m_sys.player = &player;
    m_sys.record = false;

    const std::string song = MakeFile("song.mp3", 100000, 1);
    SCliRun put = Ppdev({"put", song});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    SCliRun info = Ppdev({"info"});
    ASSERT_EQ(info.code, kExitDone) << info.err;
    EXPECT_NE(info.out.find("Port:       0x378 (ppdev /dev/parport3)"), std::string::npos) << info.out;
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    ASSERT_EQ(Ppdev({"get", "song.mp3", "--to", to}).code, kExitDone);
    EXPECT_EQ(ReadFile(to + "/song.mp3"), ReadFile(song));
    // A failed run releases the port as well.
    EXPECT_EQ(Ppdev({"rm", "nothere"}).code, kExitFailed);

    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
    const std::vector<unsigned long> fourRuns = {PPCLAIM, PPRELEASE, PPCLAIM, PPRELEASE,
                                                 PPCLAIM, PPRELEASE, PPCLAIM, PPRELEASE};
    EXPECT_EQ(m_sys.lifecycle, fourRuns);
    EXPECT_EQ(m_sys.openFiles, 0);
    EXPECT_EQ(m_sys.claimed, 0);
}

TEST_F(CPpdevCliTest, NoPlayerOnThePortIsReportedAndReleased)
{
    SCliRun run = Ppdev({"list"});   // status reads 0x7F: nothing attached
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Rio not found!\n\nPlease connect your Rio to the printerport.\n");
    EXPECT_EQ(m_sys.lifecycle, (std::vector<unsigned long>{PPCLAIM, PPRELEASE}));
    EXPECT_EQ(m_sys.openFiles, 0);
}

TEST_F(CPpdevCliTest, FailingIoctlFailsTheRun)
{
    m_sys.failRequest = PPRSTATUS;
    m_sys.record = false;
    SCliRun run = Ppdev({"list"});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_NE(run.err.find("the printer port failed: PPRSTATUS failed"), std::string::npos) << run.err;
    EXPECT_EQ(m_sys.claimed, 0);

    CRecordingCalls busy;
    busy.failClaim = true;
    SCliRun claim = RunQuavelCli({"--parport=/dev/parport0", "list"}, &busy);
    EXPECT_EQ(claim.code, kExitFailed);
    EXPECT_NE(claim.err.find("cannot claim the printer port /dev/parport0"), std::string::npos) << claim.err;
}

}  // namespace
#endif
