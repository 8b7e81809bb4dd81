#include "xml/xml_parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/xml_byte_stream.h"
#include "xml/xml_document.h"
#include "xml/xml_node.h"
#include "xml/xml_not_well_formed.h"

namespace {

/// A compact picture of a subtree: "name(child,child)" for elements, "#kind'value'" for the rest.
std::string Dump(const CXMLNode& node) {
    if (!node.nodeName().empty() && node.nodeName()[0] == '#') {
        return node.nodeName() + "'" + node.nodeValue() + "'";
    }
    std::string out = node.nodeName() + "(";
    for (std::size_t i = 0; i < node.childNodes().length(); ++i) {
        out += (i == 0 ? "" : ",") + Dump(*node.childNodes().item(i));
    }
    return out + ")";
}

std::string Nested(int depth, const std::string& innermost) {
    std::string xml;
    for (int i = 0; i < depth; ++i) xml += "<e>";
    xml += innermost;
    for (int i = 0; i < depth; ++i) xml += "</e>";
    return xml;
}

class XmlParserTest : public ::testing::Test {
protected:
    /// True when `xml` was accepted; a refusal must leave the document without a root.
    bool Parse(const std::string& xml) {
        CXMLByteStream stream(xml);
        return Parse(stream);
    }

    bool Parse(CXMLByteStream& stream) {
        CXMLParser parser(m_document);
        try {
            parser.parse(stream);
        } catch (CXMLNotWellFormed* error) {
            delete error;
            EXPECT_EQ(nullptr, m_document.documentElement());
            return false;
        }
        EXPECT_NE(nullptr, m_document.documentElement());
        return true;
    }

    /// The tree of an accepted document, or "refused".
    std::string Tree(const std::string& xml) {
        return Parse(xml) ? Dump(*m_document.documentElement()) : "refused";
    }

    void ExpectRefused(const std::vector<std::string>& documents) {
        for (const std::string& xml : documents) {
            EXPECT_FALSE(Parse(xml)) << "accepted: " << xml;
        }
    }

    CXMLElement* Root() const { return m_document.documentElement(); }

    CXMLDocument m_document;
};

TEST(XmlByteStreamTest, ReadsUnsignedBytesThenEnd) {
    const std::string bytes("a\xE9\0", 3);
    CXMLByteStream stream(bytes);
    EXPECT_EQ('a', stream.Get());
    EXPECT_EQ(0xE9, stream.Get());
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_EQ(0, stream.Get());
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(-1, stream.Get());
}

TEST(XmlByteStreamTest, TwoPushedBackBytesComeBackLastFirstBeforeTheRest) {
    const std::string bytes("xy");
    CXMLByteStream stream(bytes);
    EXPECT_EQ('x', stream.Get());
    EXPECT_EQ('y', stream.Get());
    ASSERT_TRUE(stream.AtEnd());
    stream.PushBack('b');
    stream.PushBack('<');
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_THROW(stream.PushBack('c'), std::logic_error);
    EXPECT_EQ('<', stream.Get());
    EXPECT_EQ('b', stream.Get());
    EXPECT_EQ(-1, stream.Get());

    const std::string other("pq");
    CXMLByteStream middle(other);
    EXPECT_EQ('p', middle.Get());
    middle.PushBack(0xE9);
    EXPECT_EQ(0xE9, middle.Get());
    EXPECT_EQ('q', middle.Get());
    EXPECT_THROW(middle.PushBack(-1), std::logic_error);
}

TEST(XmlNodeTest, KindsCarryTheirNamesAndValues) {
    CXMLDocument document;
    EXPECT_EQ(nullptr, document.documentElement());
    auto element = document.createElement("tag");
    EXPECT_EQ("tag", element->nodeName());
    EXPECT_EQ("tag", element->tagName());
    EXPECT_EQ("", element->nodeValue());
    EXPECT_FALSE(element->hasChildNodes());
    EXPECT_EQ(nullptr, element->firstChild());

    auto attribute = document.createAttribute("k");
    attribute->setValue("v");
    EXPECT_EQ("k", attribute->name());
    EXPECT_EQ("v", attribute->nodeValue());

    auto text = document.createTextNode("t");
    text->setData("u");
    EXPECT_EQ("#text", text->nodeName());
    EXPECT_EQ("u", text->nodeValue());
    EXPECT_EQ("u", text->data());
    EXPECT_EQ("#cdata", document.createCDATASection("c")->nodeName());
    EXPECT_EQ("c", document.createCDATASection("c")->nodeValue());
    EXPECT_EQ("#comment", document.createComment("m")->nodeName());
    EXPECT_EQ("m", document.createComment("m")->nodeValue());
}

TEST(XmlNodeTest, ChildListAndAttributeMap) {
    CXMLDocument document;
    auto element = document.createElement("p");
    auto text = document.createTextNode("1");
    const CXMLNode* first = text.get();
    element->appendChild(std::move(text));
    element->appendChild(document.createComment("2"));
    element->appendChild(document.createElement("3"));
    const CXMLNodeList& children = element->childNodes();
    ASSERT_EQ(3u, children.length());
    EXPECT_EQ(first, element->firstChild());
    EXPECT_EQ(first, children.item(0));
    EXPECT_EQ("#comment", children.item(1)->nodeName());
    EXPECT_EQ("3", children.item(2)->nodeName());
    EXPECT_EQ(nullptr, children.item(3));

    auto attribute = document.createAttribute("a");
    attribute->setValue("old");
    element->attributes().setNamedItem(std::move(attribute));
    attribute = document.createAttribute("a");
    attribute->setValue("new");
    element->attributes().setNamedItem(std::move(attribute));
    ASSERT_EQ(1u, element->attributes().length());
    EXPECT_EQ("new", element->attributes().getNamedItem("a")->nodeValue());
    EXPECT_EQ(nullptr, element->attributes().getNamedItem("A"));
}

TEST(XmlNodeTest, AVeryDeepTreeIsReleasedWithoutExhaustingTheStack) {
    CXMLDocument document;
    auto root = document.createElement("e");
    CXMLNode* deepest = root.get();
    for (int i = 0; i < 300000; ++i) {
        deepest->appendChild(document.createElement("e"));
        deepest = deepest->firstChild();
    }
    document.setDocumentElement(std::move(root));
    document.setDocumentElement(nullptr);
    EXPECT_EQ(nullptr, document.documentElement());
}

TEST_F(XmlParserTest, BuildsAModuleConfiguration) {
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<module>\r\n"
        "  <SMM-version>2.1</SMM-version>\r\n"
        "  <show-ui>yes</show-ui>\r\n"
        "  <prod-number-file/>\r\n"
        "  <commands>\r\n"
        "    <command><name>status</name><write-timeout> 30 </write-timeout></command>\r\n"
        "  </commands>\r\n"
        "</module>\r\n";
    EXPECT_EQ(
        "module(SMM-version(#text'2.1'),show-ui(#text'yes'),prod-number-file(),"
        "commands(command(name(#text'status'),write-timeout(#text'30 '))))",
        Tree(xml));
}

TEST_F(XmlParserTest, SelfClosedRootHasNoChildren) {
    ASSERT_TRUE(Parse("  \n<root/>"));
    EXPECT_EQ("root", Root()->nodeName());
    EXPECT_FALSE(Root()->hasChildNodes());
    EXPECT_EQ("a(b(),c())", Tree("<a><b /><c\t/></a>"));
}

TEST_F(XmlParserTest, TextDropsLeadingWhiteSpaceAndKeepsTheRest) {
    EXPECT_EQ("a(#text'x  ')", Tree("<a>  x  </a>"));
    EXPECT_EQ("a(#text'x \r\n y\t')", Tree("<a>\r\n\tx \r\n y\t</a>"));
    EXPECT_EQ("a()", Tree("<a> \t\r\n </a>"));
    EXPECT_EQ("a(#text'1 ',b(),#text'2',#comment'c',#text'3 ')",
              Tree("<a>1 <b/>  2<!--c-->\n3 </a>"));
    EXPECT_EQ("a(b(#text'\xE9t\xE9'))", Tree("<a><b>\xE9t\xE9</b></a>"));
}

TEST_F(XmlParserTest, ReferencesAreCheckedButKeptAsWritten) {
    EXPECT_EQ("a(#text'&amp;')", Tree("<a>&amp;</a>"));
    EXPECT_EQ("a(#text'x &#233; &#x1aF; &_n:1.b-c\xB7; &:x;')",
              Tree("<a>x &#233; &#x1aF; &_n:1.b-c\xB7; &:x;</a>"));
    ASSERT_TRUE(Parse("<a v='&lt;&#60;'/>"));
    EXPECT_EQ("&lt;&#60;", Root()->attributes().getNamedItem("v")->nodeValue());
}

TEST_F(XmlParserTest, AttributesAreQuotedValuesByName) {
    ASSERT_TRUE(Parse("<a one = \"1 'x'\"two='2 \"y\" <'\t\n three=''\xE9=\"\xE9\"></a>"));
    const CXMLNamedNodeMap& attributes = Root()->attributes();
    ASSERT_EQ(4u, attributes.length());
    EXPECT_EQ("1 'x'", attributes.getNamedItem("one")->nodeValue());
    EXPECT_EQ("2 \"y\" <", attributes.getNamedItem("two")->nodeValue());
    EXPECT_EQ("", attributes.getNamedItem("three")->nodeValue());
    EXPECT_EQ("\xE9", attributes.getNamedItem("\xE9")->nodeValue());
    EXPECT_FALSE(Root()->hasChildNodes());

    ASSERT_TRUE(Parse("<a k='first' k=\"second\"/>"));
    ASSERT_EQ(1u, Root()->attributes().length());
    EXPECT_EQ("second", Root()->attributes().getNamedItem("k")->nodeValue());
}

TEST_F(XmlParserTest, NamesFollowTheLetterAndNameCharacterClasses) {
    EXPECT_EQ("_x.-:9\xB7z(.y())", Tree("<_x.-:9\xB7z><.y/></_x.-:9\xB7z>"));
    EXPECT_EQ("\xC0\xD8\xF8\xFF()", Tree("<\xC0\xD8\xF8\xFF/>"));
    ExpectRefused({"<9a/>", "<:a/>", "<-a/>", "<a\xD7/>", "<\xF7/>", "<a 9='1'/>"});
}

TEST_F(XmlParserTest, EmptyCommentsAndCDATASectionsAddNoChild) {
    EXPECT_EQ("a()", Tree("<a><!----><![CDATA[]]></a>"));
    EXPECT_EQ("a(#comment' - a-b ',#cdata'<b>&x; ] ]] ]>')",
              Tree("<a><!-- - a-b --><![CDATA[<b>&x; ] ]] ]>]]></a>"));
    EXPECT_EQ("a(#cdata'x]')", Tree("<a><![CDATA[x]]]></a>"));
    EXPECT_EQ("a(#cdata']]]')", Tree("<a><![CDATA[]]]]]></a>"));
}

TEST_F(XmlParserTest, ProcessingInstructionsAreSkipped) {
    EXPECT_EQ("a()", Tree("<?xml ? > ?? ?>  <a/>"));
    EXPECT_EQ("a()", Tree("<?\?><a/>"));
    EXPECT_EQ("a(#text'x',#text'y')", Tree("<a>x<?pi a?b ?>y</a>"));
    EXPECT_EQ("a()", Tree("<a><?>?></a>"));
}

TEST_F(XmlParserTest, EndTagAcceptsOneWhiteSpaceByteBeforeTheBracket) {
    EXPECT_EQ("a(#text'x')", Tree("<a>x</a >"));
    EXPECT_EQ("a(b())", Tree("<a><b></b\t></a\n>"));
    ExpectRefused({"<a>x</a  >", "<a></a\r\n>", "<a></a x>"});
}

TEST_F(XmlParserTest, SingleClosingBracketsAreOrdinaryText) {
    EXPECT_EQ("a(#text'] ]> x]y ]&amp;>')", Tree("<a>] ]> x]y ]&amp;></a>"));
    EXPECT_EQ("a(#text']]')", Tree("<a>]]</a>"));
}

TEST_F(XmlParserTest, NothingAfterTheRootIsRead) {
    const std::string xml = "<a>x</a>\x01garbage <<<";
    CXMLByteStream stream(xml);
    ASSERT_TRUE(Parse(stream));
    EXPECT_EQ(0x01, stream.Get());

    const std::string selfClosedXml = "<a/>]]>";
    CXMLByteStream selfClosed(selfClosedXml);
    ASSERT_TRUE(Parse(selfClosed));
    EXPECT_EQ(']', selfClosed.Get());
}

TEST_F(XmlParserTest, ParsingStartsAtTheStreamsPosition) {
    const std::string xml = "XY <b/>";
    CXMLByteStream stream(xml);
    ASSERT_EQ('X', stream.Get());
    ASSERT_EQ('Y', stream.Get());
    ASSERT_TRUE(Parse(stream));
    EXPECT_EQ("b", Root()->nodeName());
}

TEST_F(XmlParserTest, SettingValuesAsCallersReadThem) {
    ASSERT_TRUE(
        Parse("<m><exit-page><!--old-->Exit.html</exit-page>"
              "<fmw-location><![CDATA[http://x/?a=1&b]]></fmw-location></m>"));
    const CXMLNode* exitPage = Root()->childNodes().item(0);
    ASSERT_TRUE(exitPage->hasChildNodes());
    EXPECT_EQ("old", exitPage->firstChild()->nodeValue());
    const CXMLNode* location = Root()->childNodes().item(1);
    EXPECT_EQ("http://x/?a=1&b", location->firstChild()->nodeValue());
}

TEST_F(XmlParserTest, NestingIsBoundedByTheMaximumDepth) {
    ASSERT_TRUE(Parse(Nested(CXMLParser::kMaxDepth, "deep")));
    const CXMLNode* node = Root();
    int depth = 1;
    while (node->firstChild()->nodeName() == "e") {
        node = node->firstChild();
        ++depth;
    }
    EXPECT_EQ(CXMLParser::kMaxDepth, depth);
    EXPECT_EQ("deep", node->firstChild()->nodeValue());

    EXPECT_TRUE(Parse(Nested(CXMLParser::kMaxDepth - 1, "<e/>")));
    ExpectRefused({Nested(CXMLParser::kMaxDepth + 1, ""), Nested(CXMLParser::kMaxDepth, "<e/>"),
                   Nested(100000, "x")});
}

TEST_F(XmlParserTest, AFailedParseDropsTheEarlierRoot) {
    ASSERT_TRUE(Parse("<a/>"));
    EXPECT_FALSE(Parse("<a>"));
}

TEST_F(XmlParserTest, RefusesAStreamThatEndsInsideAConstruct) {
    ExpectRefused({"",           " \r\n",           "<",     "<a",      "<a ",     "<a/",
                   "<a>",        "<a>text",         "<a x",  "<a x=",   "<a x='1", "<a x='&amp",
                   "<a><b></b>", "<a></a",          "<a></", "<a>&am",  "<a><!-",  "<a><!-- x -",
                   "<a><![CDA",  "<a><![CDATA[x]]", "<?xml", "<?xml?>", "<a><?pi?"});
}

TEST_F(XmlParserTest, RefusesWhatDoesNotOpenWithABracket) {
    ExpectRefused({"a", "x<a/>", "\xEF\xBB\xBF<a/>", "<?xml?>a<b/>", "<?xml?><?xml?><a/>",
                   "<!--c--><a/>", "<!DOCTYPE a><a/>", "<![CDATA[x]]><a/>"});
}

TEST_F(XmlParserTest, RefusesBadStartTagsAndAttributes) {
    ExpectRefused({"<a / >", "<a/x>", "<a x='1' y>", "<a x/>", "<a x 'y'/>", "<a x=1/>",
                   "<a x='>'/>", "<a x=\"a>b\"></a>", "<a x='&;'/>", "<a><b</a>"});
}

TEST_F(XmlParserTest, RefusesMismatchedEndTags) {
    ExpectRefused({"<a></b>", "<a></A>", "<a></ab>", "<ab></a>", "<a></ a>", "<a><b></a></b>"});
}

TEST_F(XmlParserTest, RefusesUnknownMarkupDeclarations) {
    ExpectRefused({"<a><!x></a>", "<a><!-x--></a>", "<a><![CDATA x]]></a>", "<a><![cdata[x]]></a>",
                   "<a><!DOCTYPE></a>"});
}

TEST_F(XmlParserTest, RefusesCDATAEndInText) {
    ExpectRefused({"<a>]]></a>", "<a>x ]]]> y</a>", "<a><b/>]]></a>"});
}

TEST_F(XmlParserTest, RefusesDoubleHyphenInsideComments) {
    ExpectRefused({"<a><!-- a -- b --></a>", "<a><!-- a ---></a>", "<a><!-----></a>"});
}

TEST_F(XmlParserTest, RefusesNonPlainBytesInCommentsCDATAAndInstructions) {
    EXPECT_TRUE(Parse(std::string("<a>\xE9\x01</a>")));
    ExpectRefused({"<a><!--\xE9--></a>", "<a><!--\x01--></a>", "<a><![CDATA[\x80]]></a>",
                   std::string("<a><![CDATA[\0]]></a>", 20), "<?xml \xFF?><a/>",
                   "<a><?pi \x08?></a>"});
    EXPECT_TRUE(Parse("<a><!--\x7F\t\r\n--></a>"));
}

TEST_F(XmlParserTest, RefusesBrokenReferences) {
    ExpectRefused({"<a>&;</a>", "<a>& ;</a>", "<a>&#;</a>", "<a>&#x;</a>", "<a>&#X41;</a>",
                   "<a>&#12a;</a>", "<a>&#xG;</a>", "<a>&#x4g;</a>", "<a>&1;</a>", "<a>&.a;</a>",
                   "<a>&a b;</a>", "<a>&amp</a>", "<a v='&bad'/>"});
}

}  // namespace
