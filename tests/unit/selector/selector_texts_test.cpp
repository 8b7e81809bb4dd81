// The texts the selector derives on its own: module of a driver name, params text, start page,
// browser program of an open command.

#include <gtest/gtest.h>

#include "selector/printer_web_page.h"
#include "selector/selector_module_table.h"
#include "selector/selector_params.h"

namespace {

struct ModuleCase {
    const char* model;
    const char* module;
};

TEST(SelectorModuleTable, FirstRowWhoseNameBeginsWithTheModelIgnoringCase) {
    const ModuleCase cases[] = {
        // every name of every row, as the driver names them
        {"orvik plotara 310ps", "brenna"},
        {"orvik plotara 320ps", "brenna"},
        {"orvik plotara 350ps", "brenna"},
        {"orvik plotara 600", "quessel CAD"},
        {"orvik plotara 610", "quessel CAD Japan"},
        {"orvik plotara 600plus", "quessel CAD"},
        {"orvik plotara 610plus", "quessel CAD Japan"},
        {"orvik plotara 610plus nr", "quessel CAD Japan"},
        {"orvik plotara 620", "quessel GA"},
        {"orvik plotara 620nr", "quessel GA"},
        {"orvik plotara 530", "merrow"},
        {"orvik plotara 530nr", "merrow"},
        {"orvik plotara 500", "merrow"},
        {"orvik plotara 500n", "merrow"},
        {"orvik plotara 420", "tolvar GA"},
        {"orvik plotara 420r", "tolvar GA"},
        {"orvik plotara 410", "tolvar CAD"},
        // case does not matter
        {"ORVIK PLOTARA 530NR", "merrow"},
        {"Orvik Plotara 410", "tolvar CAD"},
        // a beginning of a name matches; the first row that has one wins
        {"orvik plotara 3", "brenna"},
        {"orvik plotara 6", "quessel CAD"},
        {"orvik plotara 61", "quessel CAD Japan"},
        {"orvik plotara 62", "quessel GA"},
        {"orvik plotara 5", "merrow"},
        {"orvik plotara 4", "tolvar GA"},
        {"o", "brenna"},
        // longer than every name, or different
        {"orvik plotara 530nr ps", "Not Supported"},
        {"orvik plotara 410 ", "Not Supported"},
        {"orvik plotara 700", "Not Supported"},
        {"Generic PostScript Printer", "Not Supported"},
        // a queue without a driver name is nobody's printer
        {"", "Not Supported"},
    };
    for (const ModuleCase& c : cases) {
        EXPECT_EQ(SelectorModuleOf(c.model), c.module) << "model \"" << c.model << "\"";
    }
}

PrinterEntry Entry(std::int32_t type, const char* model, const char* address, const char* queue) {
    PrinterEntry entry;
    entry.connectionType = type;
    entry.model = model;
    entry.address = address;
    entry.queueName = queue;
    entry.identity = "SERIAL-IGNORED";
    entry.displayName = "Display ignored";
    return entry;
}

TEST(SelectorParamsText, EachConnectionTypeByteForByte) {
    struct Case {
        PrinterEntry entry;
        const char* startPage;
        const char* text;
    };
    const Case cases[] = {
        {Entry(kConnectionNetwork, "orvik plotara 530", "192.168.7.20", "Plotter 530"),
         "MainMenu.html",
         "Name: Plotter 530\nTCP\nIP: 192.168.7.20\nPort: 9100\nModule: merrow\n"
         "Start-page: MainMenu.html"},
        {Entry(kConnectionParallel, "Orvik Plotara 620", "LPT2", "Desk plotter"), "ColorStart.html",
         "Name: Desk plotter\nPARALLEL\nPort: LPT2\nModule: quessel GA\n"
         "Start-page: ColorStart.html"},
        {Entry(kConnectionUsb, "orvik plotara 410", "\\\\?\\usb#vid_1234&pid_0001#ab12#{guid}", ""),
         "MainMenu.html",
         "Name: \nUSB\nDriver: \\\\?\\usb#vid_1234&pid_0001#ab12#{guid}\nModule: tolvar CAD\n"
         "Start-page: MainMenu.html"},
        {Entry(kConnectionNetwork, "Other Vendor 9", "plotter.example", "Q"), "MainMenu.html",
         "Name: Q\nTCP\nIP: plotter.example\nPort: 9100\nModule: Not Supported\n"
         "Start-page: MainMenu.html"},
        {Entry(7, "orvik plotara 310ps", "x", "Odd"), "MainMenu.html",
         "Name: Odd\nNot Supported.brenna\nStart-page: MainMenu.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectorParamsText(c.entry, c.startPage), c.text);
    }
}

TEST(StartPageOf, WholeCommandLineWhenItHoldsHtmlAnywhere) {
    const std::pair<const char*, const char*> cases[] = {
        {"ColorStart.html", "ColorStart.html"}, {"", "MainMenu.html"},
        {"ColorStart.htm", "MainMenu.html"},    {"ColorStart.HTML", "MainMenu.html"},
        {"-x Status.html", "-x Status.html"},   {"a.html b", "a.html b"},
    };
    for (const auto& c : cases) EXPECT_EQ(StartPageOf(c.first), c.second) << c.first;
}

// The launcher's command line is the page alone; a typed one has the program before the page.
TEST(SelectorCommandLine, FindsThePageWhereverTheStarterPutIt) {
    struct Case {
        const char* whole;
        const char* afterProgram;
        const char* startPage;
    };
    const Case cases[] = {
        {"ColorStart.html", "", "ColorStart.html"},
        {"\"C:\\Plotara\\printer_selector.exe\" ColorStart.html", "ColorStart.html",
         "ColorStart.html"},
        {"C:\\Plotara\\printer_selector.exe", "", "MainMenu.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartPageOf(SelectorCommandLine(c.whole, c.afterProgram)), c.startPage)
            << c.whole;
    }
}

TEST(SelectorBrowserProgram, CutsTheProgramOutOfTheOpenCommand) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\IE\\iexplore.exe\" -nohome", "C:\\Program Files\\IE\\iexplore.exe"},
        {"\"C:\\Program Files\\Fx\\firefox.exe\" -osint -url \"%1\"",
         "C:\\Program Files\\Fx\\firefox.exe"},
        // a "-" inside the quoted path does not cut it
        {"\"C:\\Mozilla-Firefox\\firefox.exe\" -url \"%1\"", "C:\\Mozilla-Firefox\\firefox.exe"},
        // quoted without any option
        {"\"C:\\Browser\\browse.exe\" \"%1\"", "C:\\Browser\\browse.exe"},
        {"\"C:\\Browser\\browse.exe\"", "C:\\Browser\\browse.exe"},
        // no closing quote: up to the blank before the first option
        {"\"C:\\Browser\\browse.exe -new %1", "C:\\Browser\\browse.exe"},
        // no closing quote and no option: nothing to go by
        {"\"C:\\Browser\\browse.exe %1", ""},
        // unquoted: up to the extension
        {"C:\\PROGRA~1\\IE\\iexplore.exe %1", "C:\\PROGRA~1\\IE\\iexplore.exe"},
        {"winebrowser -nohome", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SelectorBrowserProgram(c.first), c.second) << c.first;
}

}  // namespace
