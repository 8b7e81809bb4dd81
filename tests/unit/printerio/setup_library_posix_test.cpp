// POSIX has no setup library: loading it fails, so USB ports map through nothing.

#include <gtest/gtest.h>

#include "platform/setup_library.h"
#include "printerio/port_classifier.h"

namespace {

TEST(SetupLibraryPosixTest, NeverLoadsSoPortZeroIsNotMapped) {
    EXPECT_FALSE(platform::LoadSetupLibrary());
    CPortClassifier classifier({true, {2, 5, 1}, &platform::LoadSetupLibrary});
    char address[CPortClassifier::kAddressSize];
    EXPECT_EQ(classifier.Classify("USB000", address), CPortClassifier::kNotMapped);
}

}  // namespace
