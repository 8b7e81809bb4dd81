#include "pages/template_processor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "pages/page_variables.h"
#include "support/fixed_page_context.h"

namespace {

struct Case {
    const char* input;
    const char* output;
};

class TemplateProcessorTest : public ::testing::Test {
protected:
    std::string Expand(const std::string& text) {
        std::istringstream input(text);
        std::ostringstream output;
        CTemplateProcessor(m_context, m_variables).Expand(input, output);
        return output.str();
    }

    void ExpectAll(const std::vector<Case>& cases) {
        for (const Case& c : cases) EXPECT_EQ(Expand(c.input), c.output) << c.input;
    }

    CFixedPageContext m_context;
    TextMap m_variables{{"prtname", "Plotter 9"}, {"v", "x"},   {"w", "q"}, {"ab", "a b"},
                        {"q", "it's a b"},        {"", "EMPTY"}};
};

std::string Repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

}  // namespace

TEST_F(TemplateProcessorTest, TextAndSingleBracketsAreCopied) {
    ExpectAll({{"a [b] ]] c[d", "a [b] ]] c[d"}, {"end[", "end"}, {"[", ""}, {"x[[", "x"}});
    const std::string binary("\0\xff\r\n[\0[\x80", 8);
    EXPECT_EQ(Expand(binary), binary);
    // Tags and text that straddle the reader's internal pieces.
    const std::string filler(4093, 'f');
    EXPECT_EQ(Expand(filler + "[[display prtname]]" + filler + "["), filler + "Plotter 9" + filler);
}

TEST_F(TemplateProcessorTest, DisplayAndParam) {
    ExpectAll({{"Printer: [[display prtname]]\n", "Printer: Plotter 9\n"},
               {"<[[display undefined]]>", "<>"},
               {"<[[display  prtname]]>", "<EMPTY>"},  // the second blank ends the word
               {"<[[display\tprtname]]>", "<>"},       // a tab is part of the keyword
               {"<[[display v and ] more]]>", "<x>"},  // the rest of a tag is ignored
               {"<[[DISPLAY v]][[Param v]]>", "<xx>"},
               {"[[display q]]|[[param q]]", "it's a b|it%27s+a+b"},
               {"a[[value v]][[case v]][[else]][[end]][[bogus v]]b", "ab"},
               {"before[[display v and no close", "beforex"},
               {"before[[if v]][[case x]]taken[[case y]]rest", "beforetaken"}});
    EXPECT_EQ(m_variables.count("undefined"), 1u);
}

TEST_F(TemplateProcessorTest, Choices) {
    ExpectAll({{"[[if v]]dropped[[display v]][[case x]]X[[case y]]Y[[else]]E[[end]].", "X."},
               {"[[if v]][[case y]]Y[[case x]]X[[else]]E[[end]].", "X."},
               {"[[if v]][[case y]]Y[[else]]E[[end]].", "E."},
               {"[[if v]][[case y]]Y[[case X]]X[[end]].", "."},
               {"[[if ab]][[case a b]]one[[end]][[if ab]][[case  a b]]two[[end]]", "one"},
               {"[[if v]][[case y]]Y[[else]]E[[case x]]X[[end]].", "E."},
               {"[[IF v]][[case x]]A[[END]]B[[else]]E[[end]].", "AB."},
               {"[[if v]][[CASE x]]A[[CASE x]]B[[Else]]C[[else]]E[[end]].", "ABC."},
               {"[[if v]][[END]]after", "after"},
               {"[[if v]][[case x]]X[[case y]]Y[[END]]Z[[end]].", "X."},
               {"[[if v]][[case x]][[display v]][[if w]][[case q]]Q[[end]]-[[end]].", "xQ-."},
               {"[[if v]][[case y]][[if w]][[case q]]Q[[end]]Y[[case x]]X[[end]].", "X."},
               {"[[if v]][[case x]]X[[case y]][[if w]][[else]][[end]]Y[[end]].", "X."},
               // As when it is taken, a skipped choice may end at a first tag "END".
               {"[[if v]][[case x]]X[[case y]][[IF w]][[END]][[end]]Y[[end]].", "XY."},
               {"[[if v]][[case y]]Y[[else]]E", "E"}});
}

TEST_F(TemplateProcessorTest, SetWritesTheMapAndThePageTable) {
    EXPECT_EQ(Expand("[[SET n]]dropped[[VALUE two words]][[display n]]"), "two");
    EXPECT_EQ(m_variables["n"], "two");
    EXPECT_EQ(m_context.GetPageVariable("n"), "two");

    // A later page sees the table's value, and a query parameter of that name does not win.
    m_variables = BuildPageVariables({{"n", m_context.GetPageVariable("n")}}, {{"n", "query"}}, {});
    EXPECT_EQ(Expand("[[display n]]"), "two");

    EXPECT_EQ(Expand("[[set n]][[display v]]after[[if v]][[case y]][[set n]][[value no]][[end]]"),
              "after");
    EXPECT_EQ(m_variables["n"], "two");
    EXPECT_EQ(m_context.GetPageVariable("n"), "two");
}

TEST_F(TemplateProcessorTest, ExpandsWhileTheCallerHoldsTheLock) {
    m_context.Lock();
    EXPECT_EQ(Expand("[[if v]][[case x]][[set locked]][[value yes]][[end]]done"), "done");
    m_context.Unlock();
    EXPECT_EQ(m_context.GetPageVariable("locked"), "yes");
}

TEST_F(TemplateProcessorTest, NestingIsBounded) {
    const std::string taken = "[[if v]][[case x]]x";
    const std::string expected(kMaxChoiceDepth, 'x');
    EXPECT_EQ(
        Expand(Repeated(taken, kMaxChoiceDepth) + Repeated("[[end]]", kMaxChoiceDepth) + "tail"),
        expected + "tail");
    EXPECT_EQ(Expand(Repeated(taken, kMaxChoiceDepth + 1) +
                     Repeated("[[end]]", kMaxChoiceDepth + 1) + "tail"),
              expected);
    EXPECT_EQ(Expand(Repeated(taken, 100000) + Repeated("[[end]]", 100000) + "tail"), expected);

    // The outer choice skips its first branch, which holds the nested ones.
    const std::string skipped = "[[if v]][[case y]]";
    EXPECT_EQ(Expand(skipped + Repeated(skipped, 200) + Repeated("[[end]]", 200) +
                     "[[else]]E[[end]]tail"),
              "Etail");
    EXPECT_EQ(Expand(skipped + Repeated(skipped, 100000) + Repeated("[[end]]", 100000) +
                     "[[else]]E[[end]]tail"),
              "");
}
