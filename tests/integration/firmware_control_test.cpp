// The firmware helper control under Wine: registered with regsvr32 into the prefix's
// registry and taken out again, created by its ProgID and class id in the test container,
// its type library described, and loaded from a property bag the way a browser loads a
// ".fmw" document served over HTTP, which sends the browser to the engine's firmware page.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "harness/child_process.h"
#include "harness/desktop.h"
#include "harness/installation_builder.h"
#include "harness/program_target.h"
#include "integration/firmware_file_server.h"
#include "integration/http_client.h"
#include "integration/installation.h"
#include "integration/running_engine.h"
#include "integration/simulated_printer.h"
#include "support/scratch_folder.h"
#include "text/url_coding.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace integration {
namespace {

using harness::ProgramTarget;
using harness::TargetUnderTest;

const std::string kClassId = "{2B7E91C4-5D3A-4F08-9C61-7A0E4B2D8F35}";
const std::string kLibraryId = "{6C3F0A9B-1E42-4D7B-A58C-93D1F2E6B047}";
const std::string kInterfaceId = "{8D5A2C17-4B9E-4E60-A3F1-5C27E09B6D42}";
const std::string kProgId = "OrvikFmwHelper.OrvikFmwHandler";
const std::string kFirmwareBytes = std::string("FW\x01\x02 firmware image\r\n\0tail", 26);

/// Keys under HKEY_CLASSES_ROOT as `reg query /s` lists them: key path -> value name ->
/// data; the default value is named "(Default)".
using RegistryTree = std::map<std::string, std::map<std::string, std::string>>;

class FirmwareControl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TargetUnderTest().IsWine()) GTEST_SKIP() << "the control is a Windows COM server";
        m_folder = std::make_unique<ScratchFolder>();
        harness::InstallationBuilder builder(m_folder->Path());
        m_dll = builder.InstallProgram(TargetUnderTest(), "velkorfw");
        m_container = builder.InstallProgram(TargetUnderTest(), "fw_container");
        Unregister();
    }
    void TearDown() override {
        // The prefix is shared with every other Wine test.
        if (m_folder) Unregister();
    }

    harness::ChildResult Wine(const std::string& program, const std::vector<std::string>& arguments,
                              const std::map<std::string, std::string>& extra = {}) {
        const ProgramTarget& target = TargetUnderTest();
        auto environment = target.Environment();
        environment.insert(extra.begin(), extra.end());
        return harness::RunChild(target.Command(program, arguments), m_folder->Path(), environment,
                                 120);
    }
    harness::ChildResult Register() { return Wine("regsvr32", {"/s", WinePath(m_dll)}); }
    void Unregister() { Wine("regsvr32", {"/s", "/u", WinePath(m_dll)}); }
    harness::ChildResult Container(const std::vector<std::string>& arguments) {
        auto run = Wine(m_container, arguments);
        run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
        return run;
    }
    std::string WinePath(const std::string& path) const {
        return TargetUnderTest().PathAsSeen(path);
    }

    RegistryTree Query(const std::string& key) {
        RegistryTree tree;
        const auto query = Wine("reg", {"query", "HKEY_CLASSES_ROOT\\" + key, "/s"});
        if (query.exitCode != 0) return tree;
        std::istringstream lines(query.output);
        std::string line, current;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("HKEY_CLASSES_ROOT\\", 0) == 0) {
                current = line.substr(18);
                tree[current];
                continue;
            }
            const auto type = line.find("    REG_SZ");
            if (line.rfind("    ", 0) != 0 || type == std::string::npos || current.empty())
                continue;
            const auto data = line.find_first_not_of(' ', type + 10);
            tree[current][line.substr(4, type - 4)] =
                data == std::string::npos ? "" : line.substr(data);
        }
        return tree;
    }

    /// The host file behind a path the control names on drive C: of the prefix.
    std::string HostPathOfDriveC(std::string path) const {
        if (path.size() < 3 || (path.rfind("C:\\", 0) != 0 && path.rfind("c:\\", 0) != 0))
            return "";
        for (char& c : path)
            if (c == '\\') c = '/';
        return TargetUnderTest().WinePrefix() + "/drive_c/" + path.substr(3);
    }

    std::unique_ptr<ScratchFolder> m_folder;
    std::string m_dll;
    std::string m_container;
};

TEST_F(FirmwareControl, RegistrationWritesEveryKeyAndUnregistrationTakesThemOut) {
    ASSERT_EQ(Register().exitCode, 0);
    const std::string module = WinePath(m_dll);
    const std::string clsidKey = "CLSID\\" + kClassId;
    struct Expected {
        std::string key, name, data;
    };
    const Expected expected[] = {
        {"OrvikFmwHelper.OrvikFmwHandler.1", "(Default)", "OrvikFmwHandler Class"},
        {"OrvikFmwHelper.OrvikFmwHandler.1\\CLSID", "(Default)", kClassId},
        {"OrvikFmwHelper.OrvikFmwHandler", "(Default)", "OrvikFmwHandler Class"},
        {"OrvikFmwHelper.OrvikFmwHandler\\CLSID", "(Default)", kClassId},
        {"OrvikFmwHelper.OrvikFmwHandler\\CurVer", "(Default)", "OrvikFmwHelper.OrvikFmwHandler.1"},
        {clsidKey, "(Default)", "OrvikFmwHandler Class"},
        {clsidKey + "\\ProgID", "(Default)", "OrvikFmwHelper.OrvikFmwHandler.1"},
        {clsidKey + "\\VersionIndependentProgID", "(Default)", "OrvikFmwHelper.OrvikFmwHandler"},
        {clsidKey + "\\InprocServer32", "(Default)", module},
        {clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {clsidKey + "\\ToolboxBitmap32", "(Default)", module + ", 101"},
        {clsidKey + "\\MiscStatus", "(Default)", "0"},
        {clsidKey + "\\MiscStatus\\1", "(Default)", "131473"},
        {clsidKey + "\\TypeLib", "(Default)", kLibraryId},
        {clsidKey + "\\Version", "(Default)", "1.0"},
        {"fmwfile_orvik_pl", "(Default)", "orvik plotara fmw file"},
        {".fmw", "(Default)", "fmwfile_orvik_pl"},
        {".fmw", "Content type", "application/x-fmw"},
        {"MIME\\Database\\Content Type\\application/x-fmw", "Extension", ".fmw"},
        {"MIME\\Database\\Content Type\\application/x-fmw", "CLSID", kClassId},
        {"TypeLib\\" + kLibraryId + "\\1.0", "(Default)", "fw helper control 1.0 Type Library"},
        {"Interface\\" + kInterfaceId, "(Default)", "IOrvikFmwHandler"},
    };
    RegistryTree tree;
    for (const char* top : {"OrvikFmwHelper.OrvikFmwHandler.1", "OrvikFmwHelper.OrvikFmwHandler",
                            "fmwfile_orvik_pl", ".fmw"}) {
        const auto part = Query(top);
        tree.insert(part.begin(), part.end());
    }
    for (const std::string& key :
         std::vector<std::string>{clsidKey, "MIME\\Database\\Content Type\\application/x-fmw",
                                  "TypeLib\\" + kLibraryId, "Interface\\" + kInterfaceId}) {
        const auto part = Query(key);
        tree.insert(part.begin(), part.end());
    }
    for (const auto& entry : expected) {
        SCOPED_TRACE(entry.key + " " + entry.name);
        ASSERT_TRUE(tree.count(entry.key)) << "key missing";
        EXPECT_EQ(tree[entry.key][entry.name], entry.data);
    }
    // The open command names the program beside the module in 8.3 form: the scratch folder's
    // long name is shortened, the program's own name already fits.
    const std::string command = tree["fmwfile_orvik_pl\\shell\\open\\command"]["(Default)"];
    const std::string program = module.substr(module.rfind('\\') + 1, 8) + ".exe";
    ASSERT_GT(command.size(), 3u);
    EXPECT_EQ(command.substr(command.size() - 3), " %1");
    std::istringstream components(command.substr(0, command.size() - 3));
    std::vector<std::string> names;
    for (std::string name; std::getline(components, name, '\\');) names.push_back(name);
    ASSERT_GE(names.size(), 3u) << command;
    EXPECT_EQ(names.front(), module.substr(0, 2)) << command;
    EXPECT_EQ(names.back(), program) << command;
    for (const std::string& name : names) {
        const auto dot = name.find('.');
        EXPECT_LE(dot == std::string::npos ? name.size() : dot, 8u) << command;
        EXPECT_EQ(name.find(' '), std::string::npos) << command;
    }
    EXPECT_NE(command, module.substr(0, module.size() - 3) + "exe %1") << "not the short form";

    for (const char* empty : {"\\Programmable", "\\Control", "\\EnableFullPage\\.fmw"}) {
        SCOPED_TRACE(empty);
        ASSERT_TRUE(tree.count(clsidKey + empty));
        EXPECT_THAT(tree[clsidKey + empty], IsEmpty());
    }

    Unregister();
    for (const std::string& key :
         {std::string("OrvikFmwHelper.OrvikFmwHandler.1"),
          std::string("OrvikFmwHelper.OrvikFmwHandler"), clsidKey, std::string("fmwfile_orvik_pl"),
          std::string(".fmw"), std::string("MIME\\Database\\Content Type\\application/x-fmw"),
          "TypeLib\\" + kLibraryId, "Interface\\" + kInterfaceId}) {
        EXPECT_THAT(Query(key), IsEmpty()) << key << " is still there";
    }
    // Shared keys stay.
    EXPECT_THAT(Query("MIME\\Database\\Content Type"), Not(IsEmpty()));
    EXPECT_THAT(Query("Interface\\{00020400-0000-0000-C000-000000000046}"), Not(IsEmpty()));
}

TEST_F(FirmwareControl, ContainerCreatesTheControlByProgIdAndClassId) {
    ASSERT_EQ(Register().exitCode, 0);
    for (const std::string& id : {kProgId, kProgId + ".1", kClassId}) {
        SCOPED_TRACE(id);
        const auto run = Container({"create", id});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_THAT(run.output, HasSubstr("class " + kClassId + " 0x00000000"));
        for (const char* interface :
             {"IDispatch", "IOleObject", "IOleInPlaceObjectWindowless", "IOleInPlaceActiveObject",
              "IViewObjectEx", "IDataObject", "IPersistStreamInit", "IPersistStorage",
              "IPersistPropertyBag", "IConnectionPointContainer", "IProvideClassInfo2",
              "ISpecifyPropertyPages"})
            EXPECT_THAT(run.output, HasSubstr(std::string("interface ") + interface + "\n"));
        EXPECT_THAT(run.output, HasSubstr("misc status 131473\n"));
        EXPECT_THAT(run.output, HasSubstr("automation IOrvikFmwHandler\n"));
        // CLASS_E_NOAGGREGATION for anything but IUnknown; then the control delegates.
        EXPECT_THAT(run.output,
                    HasSubstr("aggregation refused 0x80040110 inner 0x00000000 delegates yes"));
    }
    Unregister();
    const auto gone = Container({"create", kProgId});
    EXPECT_EQ(gone.exitCode, 3) << gone.output;
}

TEST_F(FirmwareControl, RegisteredTypeLibraryDescribesTheControl) {
    ASSERT_EQ(Register().exitCode, 0);
    const auto run = Container({"typelib"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("library FWHELPERCONTROLLib " + kLibraryId +
                                      " 1.0 \"fw helper control 1.0 Type Library\""));
    EXPECT_THAT(run.output, HasSubstr("IOrvikFmwHandler " + kInterfaceId +
                                      " \"IOrvikFmwHandler Interface\" dual"));
    EXPECT_THAT(run.output, HasSubstr("type coclass OrvikFmwHandler " + kClassId +
                                      " \"OrvikFmwHandler Class\""));
    EXPECT_THAT(run.output, HasSubstr("implements IOrvikFmwHandler default"));
    Unregister();
    EXPECT_EQ(Container({"typelib"}).exitCode, 4);
}

TEST_F(FirmwareControl, PropertyBagLoadSendsTheBrowserToTheFirmwarePage) {
    ASSERT_EQ(Register().exitCode, 0);
    FirmwareFileServer server(kFirmwareBytes);
    ASSERT_NE(server.Port(), 0);
    const std::string source = server.Address();
    const std::string record = m_folder->PathOf("navigated.txt");
    const auto run = Container({"load", kProgId, source, WinePath(record)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_GE(server.Requests(), 1);

    std::ifstream recordFile(record);
    std::string url;
    ASSERT_TRUE(std::getline(recordFile, url)) << run.output;
    std::string another;
    EXPECT_FALSE(std::getline(recordFile, another)) << "navigated twice";
    const std::regex shape(
        "http://([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3}):8190/"
        "FwDownload\\.html\\?nextpage=FwEnd\\.html&abs=1&file-to-send=(.+)");
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(url, parts, shape)) << url;
    for (int i = 1; i <= 4; ++i) EXPECT_LE(std::stoi(parts[i].str()), 255) << url;
    const std::string cached = parts[5].str();
    // The engine reads back the text the control keeps as its source value.
    EXPECT_THAT(run.output, HasSubstr("saved SRC " + UrlDecode(cached) + "\n"));
    // Drawn through its view: the frame along the bounds and the path's text inside it.
    std::smatch drawn;
    ASSERT_TRUE(std::regex_search(run.output, drawn,
                                  std::regex("draw 0x00000000 frame ([0-9]+) inside ([0-9]+)")))
        << run.output;
    EXPECT_GE(std::stoi(drawn[1].str()), 2 * (900 + 60) - 4) << "the frame is not whole";
    EXPECT_GT(std::stoi(drawn[2].str()), 100) << "no text was written";
    std::ifstream cachedFile(HostPathOfDriveC(UrlDecode(cached)), std::ios::binary);
    ASSERT_TRUE(cachedFile.good()) << cached;
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(cachedFile), {}), kFirmwareBytes);
}

TEST_F(FirmwareControl, FailedLoadsNavigateNowhere) {
    ASSERT_EQ(Register().exitCode, 0);
    struct Case {
        const char* name;
        std::string source;
        std::string result;
    };
    const Case cases[] = {
        // Nothing listens there: the download fails (INET_E_RESOURCE_NOT_FOUND).
        {"unreachable file", "http://127.0.0.1:1/missing.fmw", "0x800c0005|0x800c0008"},
        {"missing local file", "file:///" + WinePath(m_folder->PathOf("missing.fmw")),
         "0x800c0005|0x800c0008|0x80070002|0x80070003"},
        // A bag without "SRC": E_UNEXPECTED before any download.
        {"no SRC", "-", "0x8000ffff"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string record = m_folder->PathOf("navigated.txt");
        std::remove(record.c_str());
        const auto run = Container({"load", kProgId, test.source, WinePath(record)});
        EXPECT_EQ(run.exitCode, 2) << run.output;
        std::smatch result;
        ASSERT_TRUE(std::regex_search(run.output, result, std::regex("load (0x[0-9a-f]{8})")))
            << run.output;
        EXPECT_TRUE(std::regex_match(result[1].str(), std::regex(test.result))) << result[1];
        EXPECT_THAT(run.output, HasSubstr("navigations 0\n"));
        EXPECT_FALSE(std::ifstream(record).good()) << "the browser was sent somewhere";
    }
}

TEST_F(FirmwareControl, ControlPaintsItsSourceValue) {
    harness::VirtualDisplay display;
    if (!display.IsUsable()) GTEST_SKIP() << "no X display";
    ASSERT_EQ(Register().exitCode, 0);
    FirmwareFileServer server(kFirmwareBytes);
    const std::string source = server.Address();
    const std::string title = "fw container";
    harness::BackgroundChild shown;
    ASSERT_TRUE(
        shown.Start(TargetUnderTest().Command(m_container, {"show", kProgId, source, title}),
                    m_folder->Path(), display.Environment(TargetUnderTest().Environment())));
    if (!harness::DesktopWindow::WaitFor(TargetUnderTest(), display, title)) {
        FAIL() << "the container showed no window: " << shown.Kill().output;
    }
    EXPECT_TRUE(
        harness::TakeScreenshot(display, harness::ScreenshotFolder() + "/firmware-control.png"));
    // The window shows the control activated in place, in a child window of its own that
    // paints what the control holds after its load: the cached file's path.
    const std::string output = shown.Kill().output;
    EXPECT_THAT(output, HasSubstr("in place 0x00000000 window child"));
    EXPECT_THAT(output, HasSubstr("load 0x00000000\r\nsaved SRC C:\\"));
}

// The journey's end: the page the control sends the browser to makes the engine send the
// cached file to the printer.
TEST_F(FirmwareControl, EngineSendsTheCachedFileToThePrinter) {
    const char* const printerAddress = "127.0.0.14";
    const std::string dir = "firmware module";
    Installation install(TargetUnderTest());
    install.WriteRegistry({{{"fwmod", dir}}, {{"Q6683A", "fwmod"}}});
    install.WriteModuleXml(
        dir,
        "<?xml version=\"1.0\"?>\n<module>\n<exit-page>Exit.html</exit-page>\n"
        "<default-start-page>FwEnd.html</default-start-page>\n"
        "<prod-number-file>id.prn</prod-number-file>\n"
        "<product-number-timeout>2</product-number-timeout>\n<commands>\n"
        "<command><name>firmware</name><html-page>FwDownload.html</html-page>"
        "<file-to-send>none.fw</file-to-send><display-progress>yes</display-progress>"
        "<write-timeout>5</write-timeout></command>\n"
        "</commands>\n</module>\n");
    install.WriteFile(dir + "/vw/id.prn", "ID?\r\n");
    install.WriteFile(
        dir + "/www/FwDownload.html",
        "<html><body>error=[[display error]];next=[[display nextpage]]</body></html>");
    install.WriteFile(dir + "/www/FwEnd.html", "<html><body>done</body></html>");
    install.WriteFile(dir + "/www/Progress.html",
                      "<html><body>[[display data-send-progress]]/[[display data-transfer-status]]"
                      "</body></html>");
    install.WriteFile(dir + "/www/Exit.html", "<html><body>bye</body></html>");
    install.WriteParams(std::string("Name:Firmware plotter\r\nTCP\r\nIP: ") + printerAddress +
                        "\r\nPort: 9100\r\nModule:fwmod\r\n");
    SimulatedPrinter printer;
    ASSERT_TRUE(printer.Start(printerAddress, {"--answer", "ID?", "Q6683A\\r\\n"}));
    RunningEngine engine(install);
    ASSERT_TRUE(engine.Start()) << "the engine did not serve";

    ASSERT_EQ(Register().exitCode, 0);
    FirmwareFileServer server(kFirmwareBytes);
    const std::string record = m_folder->PathOf("navigated.txt");
    const auto run = Container({"load", kProgId, server.Address(), WinePath(record)});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::string url;
    std::ifstream recordFile(record);
    ASSERT_TRUE(std::getline(recordFile, url));
    const auto path = url.find(":8190/");
    ASSERT_NE(path, std::string::npos) << url;
    // Asked of 127.0.0.1, as the workstation's own address need not be reachable here.
    const HttpAnswer answer = Exchange(GetRequest(url.substr(path + 5)), 30);
    EXPECT_THAT(answer.body, HasSubstr("error=0;next=FwEnd.html")) << url;
    ASSERT_TRUE(printer.WaitUntilReceived(5 + kFirmwareBytes.size()));
    EXPECT_EQ(printer.Received(), "ID?\r\n" + kFirmwareBytes);
    EXPECT_THAT(Exchange(GetRequest("/Progress.html"), 30).body, HasSubstr("100/done"));

    // A cached file whose path has blanks, "&" and "+", escaped the way the control escapes
    // them: the engine reads the path back and sends that file.
    const std::string awkward = m_folder->PathOf("fw files & more");
    std::filesystem::create_directories(awkward);
    std::ofstream(awkward + "/a b+c[1].fmw", std::ios::binary) << kFirmwareBytes;
    std::string escaped;
    for (const char c : WinePath(awkward + "/a b+c[1].fmw")) {
        escaped += c == ' ' ? "%20" : c == '&' ? "%26" : c == '+' ? "%2B" : std::string(1, c);
    }
    const HttpAnswer again = Exchange(
        GetRequest("/FwDownload.html?nextpage=FwEnd.html&abs=1&file-to-send=" + escaped), 30);
    EXPECT_THAT(again.body, HasSubstr("error=0;next=FwEnd.html")) << escaped;
    ASSERT_TRUE(printer.WaitUntilReceived(5 + 2 * kFirmwareBytes.size()));
    EXPECT_EQ(printer.Received(), "ID?\r\n" + kFirmwareBytes + kFirmwareBytes);
    engine.Stop("Exit.html");
}

}  // namespace
}  // namespace integration
