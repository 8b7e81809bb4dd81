// The refusal line: at most one a second, and every refusal counted in some line.

#include "http/refusal_tally.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "support/scratch_folder.h"

namespace {

class RefusalTallyTest : public ::testing::Test {
protected:
    RefusalTallyTest() {
        engine_log::SetLogFilePath(m_folder.PathOf("test.log"));
        engine_log::SetLoggingToFile(true);
    }
    ~RefusalTallyTest() override { engine_log::SetLoggingToFile(false); }

    /// The count each refusal line stands for, in order.
    std::vector<long> LineCounts() const {
        std::ifstream file(m_folder.PathOf("test.log"));
        std::vector<long> counts;
        const std::regex many(
            R"(Refused a connection from another computer\. \((\d+) refused since the previous such line\)$)");
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::smatch match;
            if (std::regex_search(line, match, many)) {
                counts.push_back(std::stol(match[1]));
            } else if (line.size() >= 43 &&
                       line.compare(line.size() - 43, 43,
                                    "Refused a connection from another computer.") == 0) {
                counts.push_back(1);
            }
        }
        return counts;
    }

    ScratchFolder m_folder;
};

TEST_F(RefusalTallyTest, WritesTheFirstAtOnceAndCountsTheRestForASecond) {
    CRefusalTally tally;
    tally.Refused(10000);
    EXPECT_EQ(LineCounts(), (std::vector<long>{1}));
    for (std::uint64_t at : {10100, 10200, 10999}) tally.Refused(at);
    tally.Tick(10999);
    EXPECT_EQ(LineCounts(), (std::vector<long>{1})) << "within the second";
    tally.Tick(11000);
    EXPECT_EQ(LineCounts(), (std::vector<long>{1, 3}));
    tally.Tick(15000);
    EXPECT_EQ(LineCounts(), (std::vector<long>{1, 3})) << "nothing counted, nothing written";
    tally.Refused(15000);
    tally.Refused(15001);
    tally.Flush();
    EXPECT_EQ(LineCounts(), (std::vector<long>{1, 3, 1, 1}));
}

TEST_F(RefusalTallyTest, AFloodWritesAboutALineASecondAndLosesNoCount) {
    CRefusalTally tally;
    const long refusals = 20000;
    for (long i = 0; i < refusals; ++i) tally.Refused(static_cast<std::uint64_t>(i) / 4);
    tally.Flush();
    const std::vector<long> counts = LineCounts();
    long total = 0;
    for (long count : counts) total += count;
    EXPECT_EQ(total, refusals);
    EXPECT_LE(counts.size(), 5u + 1u) << "5 s of flood";
}

}  // namespace
