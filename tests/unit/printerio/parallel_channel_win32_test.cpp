// The parallel channel and the system's spooler service.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "printerio/create_channel.h"

namespace {

// The spooler's state as the service control manager tells it; 0 when it cannot be asked.
DWORD SpoolerState() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return 0;
    SC_HANDLE spooler = OpenServiceA(manager, "spooler", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    const BOOL ok = spooler != nullptr && QueryServiceStatus(spooler, &status);
    if (spooler != nullptr) CloseServiceHandle(spooler);
    CloseServiceHandle(manager);
    return ok ? status.dwCurrentState : 0;
}

bool SpoolerReaches(DWORD state) {
    for (int i = 0; i < 100; ++i) {
        if (SpoolerState() == state) return true;
        Sleep(100);
    }
    return false;
}

void StopSpooler() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr);
    SC_HANDLE spooler = OpenServiceA(manager, "spooler", SERVICE_STOP | SERVICE_QUERY_STATUS);
    ASSERT_NE(spooler, nullptr);
    SERVICE_STATUS status{};
    ControlService(spooler, SERVICE_CONTROL_STOP, &status);
    CloseServiceHandle(spooler);
    CloseServiceHandle(manager);
}

TEST(ParallelSpoolerTest, DestroyingAChannelThatWasNeverOpenedStartsTheSpooler) {
    StopSpooler();
    ASSERT_TRUE(SpoolerReaches(SERVICE_STOPPED));
    CreateChannel(CChannelAddress("LPT1:", 4, 9)).reset();
    EXPECT_TRUE(SpoolerReaches(SERVICE_RUNNING));
}

TEST(ParallelSpoolerTest, AFailedOpenRecordsItsErrorAndTheSpoolerComesBack) {
    auto channel = CreateChannel(CChannelAddress("LPT9:", 4, 9));
    ASSERT_NE(channel, nullptr);
    EXPECT_FALSE(channel->Open(0));
    EXPECT_NE(channel->GetLastErrorCode(), 0u);
    char buffer[4];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(channel->Read(buffer, size));
    channel.reset();
    EXPECT_TRUE(SpoolerReaches(SERVICE_RUNNING));
}

}  // namespace
