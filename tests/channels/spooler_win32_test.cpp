// Under Wine: the parallel channel stops the "spooler" service on its way to the port and
// always starts it again when it is destroyed.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <thread>

#include "channels/channel_test_support.h"
#include "printerio/channel_address.h"
#include "printerio/create_channel.h"
#include "printerio/io_utils.h"

using namespace channel_test;

namespace {

// 0 when the state cannot be read.
DWORD SpoolerState() {
    DWORD state = 0;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return 0;
    SC_HANDLE service = OpenServiceA(manager, "spooler", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (service != nullptr && QueryServiceStatus(service, &status)) state = status.dwCurrentState;
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
}

bool WaitForSpoolerState(DWORD wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (SpoolerState() != wanted) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool ControlSpooler(bool start) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return false;
    SC_HANDLE service =
        OpenServiceA(manager, "spooler", SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
    bool sent = false;
    if (service != nullptr) {
        SERVICE_STATUS status{};
        sent = start ? StartServiceA(service, 0, nullptr) != FALSE
                     : ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return sent;
}

class ParallelChannelSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (SpoolerState() != SERVICE_RUNNING) ControlSpooler(true);
        ASSERT_TRUE(WaitForSpoolerState(SERVICE_RUNNING));
    }
};

TEST_F(ParallelChannelSpoolerTest, IsStoppedWhileThePortIsOpenAndRunsAgainAfterwards) {
    // LPT1 is no DOS device of the parallel driver here, so every NT class ends on the
    // spooler path.
    const std::int32_t osClass = CIOUtils::Instance().OsClass();
    ASSERT_TRUE(osClass == 3 || osClass == 4 || osClass == 5) << "class " << osClass;
    {
        std::unique_ptr<CIOChannel> channel = OpenChannelTo(kParallel, "lpt");
        ASSERT_TRUE(channel);
        EXPECT_EQ(SpoolerState(), static_cast<DWORD>(SERVICE_STOPPED));
    }
    EXPECT_TRUE(WaitForSpoolerState(SERVICE_RUNNING)) << "state " << SpoolerState();
}

TEST_F(ParallelChannelSpoolerTest, AChannelNeverOpenedStillStartsTheSpooler) {
    ASSERT_TRUE(ControlSpooler(false));
    ASSERT_TRUE(WaitForSpoolerState(SERVICE_STOPPED));
    {
        std::unique_ptr<CIOChannel> channel =
            CreateChannel(CChannelAddress("LPT1:", kParallel, CChannelAddress::kModeNotSet));
        ASSERT_TRUE(channel);
    }
    EXPECT_TRUE(WaitForSpoolerState(SERVICE_RUNNING)) << "state " << SpoolerState();
}

}  // namespace
