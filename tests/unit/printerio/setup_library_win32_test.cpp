// The real setup library: Wine has it but no USB printers.

#include <gtest/gtest.h>

#include "platform/setup_library.h"
#include "printerio/usb_port_table.h"

namespace {

TEST(SetupLibraryWin32Test, LoadsAndListsNoPresentUsbPrinter) {
    const std::unique_ptr<platform::SetupLibrary> library = platform::LoadSetupLibrary();
    ASSERT_TRUE(library);
    const auto list = library->PresentInterfaces("{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    ASSERT_TRUE(list) << "the class list of a known class";
    EXPECT_FALSE(list->Exists(0));
    EXPECT_FALSE(library->PresentInterfaces("not a class"));

    UsbPortTable table;
    table.Build(&platform::LoadSetupLibrary);
    EXPECT_EQ(table.Count(), 0);
}

}  // namespace
