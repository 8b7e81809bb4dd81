#include "printerio/parallel_channel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "unit/printerio/fake_device_system.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

bool Unknown(platform::OsVersion*) { return false; }
bool Windows98(platform::OsVersion* v) {
    *v = {platform::kPlatformWindows9x, 4, 10};
    return true;
}
bool Nt4(platform::OsVersion* v) {
    *v = {platform::kPlatformNt, 4, 0};
    return true;
}
bool Windows2000(platform::OsVersion* v) {
    *v = {platform::kPlatformNt, 5, 0};
    return true;
}
bool WindowsXp(platform::OsVersion* v) {
    *v = {platform::kPlatformNt, 5, 1};
    return true;
}

constexpr std::uint32_t kStopPending = 3;

class ParallelChannelTest : public ::testing::Test {
protected:
    std::unique_ptr<CParallelChannel> Channel(const char* address, CIOUtils::VersionQuery system) {
        m_utils.push_back(std::make_unique<CIOUtils>(system));
        return std::make_unique<CParallelChannel>(
            CChannelAddress(address, 4, 9),
            CParallelChannel::System{files, services, clock, *m_utils.back()});
    }

    // The spooler stop and restart that surround a port opened through the spooler.
    std::vector<std::string> StopCalls() const {
        std::vector<std::string> stop;
        for (const std::string& call : services.calls) {
            if (call == "stop") stop.push_back(call);
        }
        return stop;
    }

    fake::Clock clock;
    fake::Files files{clock};
    fake::Services services{clock};

private:
    std::vector<std::unique_ptr<CIOUtils>> m_utils;
};

TEST_F(ParallelChannelTest, Nt4OpensTheDriverDeviceAndSendsItsControl) {
    files.existing = {"\\\\.\\OrvikL1"};
    auto channel = Channel("LPT1:", &Nt4);
    ASSERT_TRUE(channel->Open(0));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\OrvikL1"));
    EXPECT_EQ(files.openedHow[0], platform::DeviceOpen::ExclusiveReadWrite);
    ASSERT_EQ(files.ioControls.size(), 1u);
    EXPECT_EQ(files.ioControls[0].code, 0x001600B0u);
    EXPECT_EQ(files.ioControls[0].readMask, 0x000A);
    EXPECT_EQ(files.ioControls[0].writeMask, 0x000A);
    EXPECT_EQ(files.ioControls[0].inputSize, 4u);
    EXPECT_EQ(files.ioControls[0].outputSize, 4u);
    EXPECT_THAT(services.calls, IsEmpty());
    EXPECT_EQ(files.timeoutSets, 0);
}

TEST_F(ParallelChannelTest, Nt4TakesTheSpoolerPathWhenTheDriverDeviceIsMissingOrNotLpt) {
    files.existing = {"\\\\.\\LPT1", "\\\\.\\COM2"};
    auto lpt = Channel("LPT1:", &Nt4);
    ASSERT_TRUE(lpt->Open(0));
    EXPECT_THAT(files.opened,
                ElementsAre("\\\\.\\OrvikL1", "\\\\.\\NONSPOOLED_LPT1", "\\\\.\\LPT1"));
    EXPECT_EQ(files.openedHow[2], platform::DeviceOpen::ExclusiveReadWriteNormal);
    EXPECT_THAT(StopCalls(), ElementsAre("stop"));
    EXPECT_THAT(files.ioControls, IsEmpty());

    files.opened.clear();
    auto com = Channel("COM2:", &Nt4);
    ASSERT_TRUE(com->Open(0));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\NONSPOOLED_COM2", "\\\\.\\COM2"));
}

TEST_F(ParallelChannelTest, Windows2000AndXpDefineARawDosNameForTheKernelPort) {
    files.existing = {"\\\\.\\OrvikL2", "\\\\.\\OrvikL3"};
    auto second = Channel("LPT2:", &Windows2000);
    ASSERT_TRUE(second->Open(0));
    auto third = Channel("LPT3", &WindowsXp);
    ASSERT_TRUE(third->Open(0));
    EXPECT_THAT(files.defined,
                ElementsAre("OrvikL2=\\Device\\Parallel1", "OrvikL3=\\Device\\Parallel2"));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\OrvikL2", "\\\\.\\OrvikL3"));
    ASSERT_EQ(files.ioControls.size(), 2u);
    EXPECT_EQ(files.ioControls[1].code, 0x00160018u);
    EXPECT_EQ(files.ioControls[1].readMask, 0x0004);
    EXPECT_EQ(files.ioControls[1].writeMask, 0x0100);
    EXPECT_EQ(files.ioControls[1].inputSize, 4u);
    EXPECT_EQ(files.ioControls[1].outputSize, 4u);
    EXPECT_THAT(services.calls, IsEmpty());
}

TEST_F(ParallelChannelTest, Windows2000SendsOtherNamesAndFailedDefinitionsToTheSpooler) {
    files.existing = {"\\\\.\\lpt1", "\\\\.\\LPT2"};
    auto lower = Channel("lpt1:", &WindowsXp);
    ASSERT_TRUE(lower->Open(0));
    EXPECT_THAT(files.defined, IsEmpty());
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\NONSPOOLED_lpt1", "\\\\.\\lpt1"));

    files.opened.clear();
    files.defineOk = false;
    auto refused = Channel("LPT2:", &Windows2000);
    ASSERT_TRUE(refused->Open(0));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\NONSPOOLED_LPT2", "\\\\.\\LPT2"));
    EXPECT_THAT(StopCalls(), ElementsAre("stop", "stop"));
}

TEST_F(ParallelChannelTest, UnknownAnd9xOpenThePortItselfWithTheTimeLimit) {
    files.existing = {"\\\\.\\LPT1"};
    auto channel = Channel("LPT1:", &Windows98);
    ASSERT_TRUE(channel->Open(0));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\LPT1"));
    EXPECT_EQ(files.openedHow[0], platform::DeviceOpen::ExclusiveReadWriteNormal);
    EXPECT_EQ(files.timeouts.readInterval, 0u);
    EXPECT_EQ(files.timeouts.readTotalMultiplier, 0u);
    EXPECT_EQ(files.timeouts.writeTotalMultiplier, 0u);
    EXPECT_EQ(files.timeouts.readTotalConstant, 3000u);
    EXPECT_EQ(files.timeouts.writeTotalConstant, 3000u);

    channel->SetTimeout(1500);
    EXPECT_EQ(files.timeouts.readTotalConstant, 1500u);
    EXPECT_EQ(files.timeouts.writeTotalConstant, 1500u);

    auto missing = Channel("LPT2:", &Unknown);
    EXPECT_FALSE(missing->Open(0));
    EXPECT_EQ(missing->GetLastErrorCode(), 2u);
    EXPECT_THAT(services.calls, IsEmpty());
}

TEST_F(ParallelChannelTest, ThePortNameIsCutAtItsLastColon) {
    files.existing = {"\\\\.\\LPT1", "\\\\.\\A:B"};
    auto bare = Channel("LPT1", &Unknown);
    auto colon = Channel("LPT1:", &Unknown);
    auto twice = Channel("A:B:C", &Unknown);
    EXPECT_TRUE(bare->Open(0));
    EXPECT_TRUE(colon->Open(0));
    EXPECT_TRUE(twice->Open(0));
    // The cut is kept, so a second Open cuts again at the next colon.
    EXPECT_FALSE(twice->Open(0));
    EXPECT_FALSE(Channel("", &Windows2000)->Open(0));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\LPT1", "\\\\.\\LPT1", "\\\\.\\A:B", "\\\\.\\A"));
}

TEST_F(ParallelChannelTest, TheSpoolerPathFailsWhenNeitherNameOpens) {
    auto channel = Channel("LPT1:", &Nt4);
    EXPECT_FALSE(channel->Open(0));
    EXPECT_EQ(files.opened.size(), 3u);
    EXPECT_EQ(channel->GetLastErrorCode(), 2u);
}

TEST_F(ParallelChannelTest, TheSpoolerIsStoppedAndReleasedBeforeThePause) {
    files.existing = {"\\\\.\\NONSPOOLED_LPT1"};
    auto channel = Channel("LPT1:", &Nt4);
    ASSERT_TRUE(channel->Open(0));
    EXPECT_THAT(services.calls, ElementsAre("manager", "open spooler stop", "stop", "interrogate@0",
                                            "close 2", "close 1"));
    EXPECT_THAT(clock.sleeps, ElementsAre(3000u));
    EXPECT_THAT(files.opened, ElementsAre("\\\\.\\OrvikL1", "\\\\.\\NONSPOOLED_LPT1"));
}

TEST_F(ParallelChannelTest, TheSpoolerWaitSleepsTheWaitHintWhileTheServiceProgresses) {
    services.interrogations = {{true, 0, {kStopPending, 1, 500}},
                               {true, 0, {kStopPending, 2, 700}},
                               {true, 0, {platform::kServiceStopped, 0, 0}}};
    auto channel = Channel("LPT1:", &Nt4);
    channel->Open(0);
    EXPECT_THAT(clock.sleeps, ElementsAre(500u, 700u, 3000u));
}

TEST_F(ParallelChannelTest, TheSpoolerWaitEndsWhenTheServiceMakesNoProgress) {
    services.interrogations = {{true, 0, {kStopPending, 4, 200}},
                               {true, 0, {kStopPending, 4, 200}},
                               {true, 0, {kStopPending, 5, 200}}};
    auto channel = Channel("LPT1:", &Nt4);
    channel->Open(0);
    EXPECT_THAT(clock.sleeps, ElementsAre(200u, 3000u));
    EXPECT_EQ(services.interrogations.size(), 1u);
}

TEST_F(ParallelChannelTest, TheSpoolerWaitGivesUpAfterFifteenSeconds) {
    services.interrogations = {{true, 0, {kStopPending, 0, 4000}}};
    services.repeatLast = true;
    services.growCheckPoint = true;
    files.existing = {"\\\\.\\LPT1"};
    auto channel = Channel("LPT1:", &Nt4);
    EXPECT_TRUE(channel->Open(0));
    EXPECT_THAT(services.calls,
                ElementsAre("manager", "open spooler stop", "stop", "interrogate@0",
                            "interrogate@4000", "interrogate@8000", "interrogate@12000",
                            "interrogate@16000", "close 2", "close 1"));
}

TEST_F(ParallelChannelTest, AnUnreachableSpoolerStillLetsThePortOpen) {
    files.existing = {"\\\\.\\LPT1"};
    services.serviceOk = false;
    auto channel = Channel("LPT1:", &Nt4);
    EXPECT_TRUE(channel->Open(0));
    EXPECT_THAT(services.calls, ElementsAre("manager", "open spooler stop", "close 1"));

    services.calls.clear();
    services.managerOk = false;
    auto again = Channel("LPT1:", &Nt4);
    EXPECT_TRUE(again->Open(0));
    EXPECT_THAT(services.calls, ElementsAre("manager"));
}

TEST_F(ParallelChannelTest, DestroyingAChannelStartsTheSpoolerOpenedOrNot) {
    Channel("LPT1:", &Unknown).reset();
    EXPECT_THAT(services.calls,
                ElementsAre("manager", "open spooler start", "start", "close 2", "close 1"));
    EXPECT_THAT(files.closed, IsEmpty());

    files.existing = {"\\\\.\\LPT1"};
    services.calls.clear();
    auto opened = Channel("LPT1:", &Unknown);
    ASSERT_TRUE(opened->Open(0));
    opened.reset();
    EXPECT_THAT(files.closed, ElementsAre(101));
    EXPECT_THAT(services.calls,
                ElementsAre("manager", "open spooler start", "start", "close 2", "close 1"));
}

class ParallelTransferTest : public ParallelChannelTest {
protected:
    void SetUp() override {
        files.existing = {"\\\\.\\LPT1"};
        channel = Channel("LPT1:", &Unknown);
        ASSERT_TRUE(channel->Open(0));
        clock.sleeps.clear();
    }

    std::unique_ptr<CParallelChannel> channel;
};

TEST_F(ParallelTransferTest, AWriteThatGoesOutAtOncePausesOnce) {
    EXPECT_TRUE(channel->Write("hello", 5));
    EXPECT_EQ(files.received, "hello");
    EXPECT_THAT(files.writeLengths, ElementsAre(5u));
    EXPECT_THAT(clock.sleeps, ElementsAre(100u));
}

TEST_F(ParallelTransferTest, APartialWriteGoesOnUntilTheWholeSecondLimit) {
    channel->SetTimeout(1000);
    files.writes = {{true, 2, "", 0}};
    files.stalled = true;
    EXPECT_TRUE(channel->Write("hello", 5));
    EXPECT_EQ(files.received, "he");
    // Passes at 0, 100, ... 1000 ms: the clock counts whole seconds.
    ASSERT_EQ(files.writeLengths.size(), 11u);
    EXPECT_EQ(files.writeLengths[1], 3u);
}

TEST_F(ParallelTransferTest, TheLimitIsMeasuredFromTheWholeSecondOfTheStart) {
    channel->SetTimeout(1000);
    clock.now = 900;
    files.stalled = true;
    EXPECT_FALSE(channel->Write("hello", 5));
    EXPECT_EQ(files.writeLengths.size(), 2u);
}

TEST_F(ParallelTransferTest, AWriteNeedsTheLastCallToSucceedAndSomeBytesOut) {
    channel->SetTimeout(0);
    files.writes = {{false, 2, "", 31}};
    EXPECT_FALSE(channel->Write("hello", 5));
    EXPECT_EQ(channel->GetLastErrorCode(), 31u);

    files.writes = {{true, 0, "", 0}};
    EXPECT_FALSE(channel->Write("hello", 5));

    files.writes = {{true, 100, "", 0}};
    EXPECT_TRUE(channel->Write("hello", 5));
    EXPECT_EQ(files.writeLengths.size(), 3u);
}

TEST_F(ParallelTransferTest, AReadStopsAtTheFirstCallThatBringsData) {
    files.reads = {{false, 0, "", 1117}, {true, 0, "abc", 0}};
    char buffer[8] = {};
    std::uint32_t size = sizeof(buffer);
    EXPECT_TRUE(channel->Read(buffer, size));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(buffer, size), "abc");
    EXPECT_EQ(files.readCalls, 2);
    EXPECT_THAT(clock.sleeps, ElementsAre(100u));
}

TEST_F(ParallelTransferTest, AReadWithNothingComingFailsAfterTheLimitWithSizeZero) {
    char buffer[8];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_EQ(size, 0u);
    // One read blocks for the port's 3000 ms, then the pause shows the limit passed.
    EXPECT_EQ(files.readCalls, 1);
    EXPECT_EQ(clock.now, 3100u);

    files.reads = {{false, 0, "", 1117}};
    channel->SetTimeout(100);
    clock.now = 3950;
    size = sizeof(buffer);
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_EQ(channel->GetLastErrorCode(), 1117u);
}

TEST_F(ParallelChannelTest, TransfersOnAClosedPortFailWithoutCallingTheSystem) {
    auto channel = Channel("LPT1:", &Unknown);
    char buffer[4];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(channel->Write("x", 1));
    EXPECT_FALSE(channel->Read(buffer, size));
    EXPECT_TRUE(files.writeLengths.empty());
    EXPECT_EQ(files.readCalls, 0);
}

}  // namespace
