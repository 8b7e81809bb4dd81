#include "pages/page_variables.h"

#include <gtest/gtest.h>

TEST(PageVariablesTest, MergeKeepsTheFirstValueAndAddsNewNames) {
    TextMap target{{"module", "engine"}, {"Module", "upper"}};
    MergeVariables(target, {{"module", "query"}, {"page", "2"}});
    EXPECT_EQ(target, (TextMap{{"module", "engine"}, {"Module", "upper"}, {"page", "2"}}));
}

TEST(PageVariablesTest, LookUpAddsAnAbsentNameWithAnEmptyValue) {
    TextMap variables{{"prtname", "Plotter"}};
    EXPECT_EQ(LookUpVariable(variables, "prtname"), "Plotter");
    EXPECT_EQ(LookUpVariable(variables, "PRTNAME"), "");
    EXPECT_EQ(variables, (TextMap{{"PRTNAME", ""}, {"prtname", "Plotter"}}));
}

TEST(PageVariablesTest, PageOrderIsTableThenRequestThenResponse) {
    const TextMap table{{"module", "brenna"}};
    const TextMap request{{"module", "other"}, {"error", "query"}, {"current-date", "07/31/2003"}};
    const TextMap response{{"error", "10"}, {"file-to-send", "vw\\a.prn"}};
    EXPECT_EQ(BuildPageVariables(table, request, response), (TextMap{{"current-date", "07/31/2003"},
                                                                     {"error", "query"},
                                                                     {"file-to-send", "vw\\a.prn"},
                                                                     {"module", "brenna"}}));
}

TEST(PageVariablesTest, CommandOrderIsTableThenRequestThenExtraInformation) {
    const TextMap table{{"OS-Name", "table"}};
    const TextMap request{{"OS-Name", "query"}, {"OS-Version", "query"}};
    const TextMap extra{{"OS-Name", "Microsoft Windows"}, {"OS-Version", "5.1"}, {"RIP-Log", "x"}};
    EXPECT_EQ(BuildCommandVariables(table, request, extra),
              (TextMap{{"OS-Name", "table"}, {"OS-Version", "query"}, {"RIP-Log", "x"}}));
}
