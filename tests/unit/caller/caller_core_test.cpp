// The caller's own texts: how the one argument splits, which module a driver name gets, and the
// params text for each connection class.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "caller/caller_arguments.h"
#include "caller/caller_module_table.h"
#include "caller/caller_params.h"
#include "printerio/port_classifier.h"

namespace {

TEST(CallerArguments, SplitsTheOneArgumentIntoQueueAndStartPage) {
    struct Case {
        const char* argument;
        const char* queue;
        const char* page;
    };
    const Case cases[] = {
        {"Plotter A", "Plotter A", "MainMenu.html"},
        {"Plotter A/start:ColorStart.html", "Plotter A", "ColorStart.html"},
        // "start" anywhere selects the split, not only in the word after the "/"
        {"Plotter A/go:Page.html", "Plotter A/go:Page.html", "MainMenu.html"},
        {"Plotter A/xstartx:Page.html", "Plotter A", "Page.html"},
        {"start here/x:Page.html", "start here", "Page.html"},
        // the first "/" and the first ":" count, even when the ":" comes first
        {"A/B/start:p/q:r.html", "A", "p/q:r.html"},
        {"Q:1/start:Page.html", "Q:1", "1/start:Page.html"},
        // nothing after ":" or no ":" at all: an empty start page
        {"Plotter A/start:", "Plotter A", ""},
        {"Plotter A/start", "Plotter A", ""},
        {"/start:Page.html", "", "Page.html"},
        // "start" without a "/": the whole argument is a queue name
        {"Restart Plotter", "Restart Plotter", "MainMenu.html"},
        {"Plotter start:Page.html", "Plotter start:Page.html", "MainMenu.html"},
        // case matters for "start"
        {"Plotter A/START:Page.html", "Plotter A/START:Page.html", "MainMenu.html"},
        {"", "", "MainMenu.html"},
    };
    for (const Case& c : cases) {
        CallerArguments parsed;
        ASSERT_TRUE(ParseCallerArguments({c.argument}, &parsed)) << c.argument;
        EXPECT_EQ(parsed.queueName, c.queue) << c.argument;
        EXPECT_EQ(parsed.startPage, c.page) << c.argument;
    }
}

TEST(CallerArguments, RefusesAnythingButOneArgumentShorterThan260) {
    struct Case {
        std::vector<std::string> arguments;
        bool accepted;
    };
    const Case cases[] = {
        {{}, false},
        {{"Plotter A", "Plotter B"}, false},
        {{"", ""}, false},
        {{std::string(259, 'q')}, true},
        {{std::string(260, 'q')}, false},
        {{std::string(1000, 'q')}, false},
        {{"Plotter/start:" + std::string(245, 'p')}, true},
        {{"Plotter/start:" + std::string(246, 'p')}, false},
    };
    for (const Case& c : cases) {
        CallerArguments parsed;
        parsed.queueName = "untouched";
        const bool accepted = ParseCallerArguments(c.arguments, &parsed);
        EXPECT_EQ(accepted, c.accepted)
            << c.arguments.size() << " argument(s), first "
            << (c.arguments.empty() ? 0 : c.arguments[0].size()) << " characters";
        if (!accepted) {
            EXPECT_EQ(parsed.queueName, "untouched");
        }
    }
    CallerArguments longest;
    ASSERT_TRUE(ParseCallerArguments({std::string(259, 'q')}, &longest));
    EXPECT_EQ(longest.queueName, std::string(259, 'q'));
}

TEST(CallerModuleTable, FirstRowWithANameThatBeginsWithTheDriverName) {
    struct Case {
        const char* driver;
        const char* module;
    };
    const Case cases[] = {
        {"orvik plotara 310ps", "brenna"},
        {"orvik plotara 350ps", "brenna"},
        {"orvik plotara 600", "quessel CAD"},
        {"orvik plotara 610", "quessel CAD Japan"},
        {"Orvik plotara 600plus", "quessel CAD"},
        {"Orvik plotara 610plus nr", "quessel CAD Japan"},
        {"orvik plotara 620nr", "quessel GA"},
        {"orvik plotara 500n", "merrow"},
        {"orvik plotara 420r", "tolvar GA"},
        {"orvik plotara 410", "tolvar CAD"},
        // the capitalised rows match in any case, as do the others
        {"orvik plotara 600PLUS", "quessel CAD"},
        {"ORVIK PLOTARA 610PLUS NR", "quessel CAD Japan"},
        // a beginning of a name matches, the first row that has one wins
        {"orvik plotara 6", "quessel CAD"},
        {"orvik plotara 61", "quessel CAD Japan"},
        {"orvik plotara 610p", "quessel CAD Japan"},
        {"orvik plotara 62", "quessel GA"},
        {"orvik plotara 5", "merrow"},
        {"orvik plotara 4", "tolvar GA"},
        {"orvik plotara 41", "tolvar CAD"},
        {"", "brenna"},
        // a name longer than a model, or a different one, falls to the last row
        {"orvik plotara 410 ps", "brenna"},
        {"orvik plotara 600plus2", "brenna"},
        {"orvik plotara 700", "brenna"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CallerModuleOf(c.driver), c.module) << "driver \"" << c.driver << "\"";
    }
}

CallerArguments Arguments(const char* queue, const char* page) {
    CallerArguments arguments;
    arguments.queueName = queue;
    arguments.startPage = page;
    return arguments;
}

TEST(CallerParamsText, EachClassByteForByte) {
    struct Case {
        std::int32_t portClass;
        const char* address;
        const char* text;
    };
    const char* const usbPath = "\\\\?\\usb#vid_0b1a&pid_0310#SN1#{28d78fad-5a12-11d1-ae5b}";
    const Case cases[] = {
        {CPortClassifier::kParallel,
         "LPT1:", "Name: Plotter A\nPARALLEL\nPort: LPT1\nModule: merrow\nStart-page: Color.html"},
        {CPortClassifier::kParallel, "LPT3",
         "Name: Plotter A\nPARALLEL\nPort: LPT3\nModule: merrow\nStart-page: Color.html"},
        {CPortClassifier::kIeee1394, "sbp2#orvik#1",
         "Name: Plotter A\n1394\nDriver: sbp2#orvik#1\nModule: merrow\nStart-page: Color.html"},
        {CPortClassifier::kUsb, usbPath,
         "Name: Plotter A\nUSB\nDriver: \\\\?\\usb#vid_0b1a&pid_0310#SN1#{28d78fad-5a12-11d1-ae5b}"
         "\nModule: merrow\nStart-page: Color.html"},
        {CPortClassifier::kNetwork, "192.168.0.5",
         "Name: Plotter A\nTCP\nIP: 192.168.0.5\nPort: 9100\nModule: merrow\nStart-page: "
         "Color.html"},
        {CPortClassifier::kNotMapped, "", ""},
        {CPortClassifier::kFile, "FILE:", ""},
        {CPortClassifier::kSerial, "COM1:", ""},
        {7, "x", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CallerParamsText(Arguments("Plotter A", "Color.html"), c.portClass, c.address,
                                   "merrow"),
                  c.text)
            << "class " << c.portClass;
    }
    // empty fields stay as empty values, no line is left out
    EXPECT_EQ(CallerParamsText(Arguments("", ""), CPortClassifier::kNetwork, "plotter.local", ""),
              "Name: \nTCP\nIP: plotter.local\nPort: 9100\nModule: \nStart-page: ");
}

}  // namespace
