// The printer mapping over Wine's real spooler and setup library.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "printerio/io_utils.h"
#include "printerio/spooler_lists.h"

namespace {

class Names : public CPrinterMapCallback {
public:
    void OnPrinter(const char* printerName, const CChannelAddress&) override {
        names.push_back(printerName);
    }
    std::vector<std::string> names;
};

TEST(MapPrintersWin32Test, ReadsTheSpoolersListsThroughTheGrowingBuffer) {
    std::vector<platform::InstalledPort> ports;
    std::uint32_t error = 1;
    ASSERT_TRUE(ListPorts(platform::InstalledPrinters::System(), &ports, &error));
    EXPECT_EQ(error, 0u);
    std::vector<std::string> names;
    for (const platform::InstalledPort& port : ports) names.push_back(port.name);
    for (const char* wanted : {"LPT1:", "COM1:", "FILE:"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
    }

    Names mapped;
    EXPECT_TRUE(CIOUtils::Instance().MapPrinters(mapped));
    EXPECT_EQ(CIOUtils::Instance().GetLastErrorCode(), 0u);
}

}  // namespace
