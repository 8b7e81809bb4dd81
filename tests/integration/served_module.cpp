#include "integration/served_module.h"

#include <chrono>
#include <filesystem>

namespace integration {

namespace {

const char* const kModuleXml =
    "<?xml version=\"1.0\"?>\n<module>\n"
    "  <SMM-version>3.0 test</SMM-version>\n"
    "  <exit-page>Exit.html</exit-page>\n"
    "  <log-to-file>yes</log-to-file>\n"
    "  <default-start-page>Main.html</default-start-page>\n"
    "  <prod-number-file>id.prn</prod-number-file>\n"
    "  <commands>\n"
    "    <command>\n"
    "      <name>status</name>\n"
    "      <html-page>Status.html</html-page>\n"
    "      <file-to-send>status.prn</file-to-send>\n"
    "      <write-timeout>2</write-timeout>\n"
    "    </command>\n"
    "  </commands>\n"
    "</module>\n";

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>\n"; }

}  // namespace

std::string ScriptFileBytes() { return "document.title = 'script';\n"; }

std::string ImageFileBytes() { return std::string("GIF89a\x01\x00\x01\x00\x00\xff\x00,", 14); }

RegistryEntries ServedModuleRegistry(const std::string& module) {
    return {{{module, kServedModuleDirectory}}, {{"Q6683A", module}}};
}

void InstallServedModule(Installation& install, const std::string& module,
                         const std::string& printerAddress) {
    const std::string directory = kServedModuleDirectory;
    const std::string www = directory + "/www/";
    install.WriteRegistry(ServedModuleRegistry(module));
    install.WriteModuleXml(directory, kModuleXml);
    install.WriteFile(directory + "/vw/id.prn", "ID?\r\n");
    install.WriteFile(directory + "/vw/status.prn", "STATUS?\r\n");
    install.WriteFile(www + "Main.html",
                      Page("module=[[display module]];prtaddr=[[display prtaddr]];"
                           "ip=[[display ip-address]];date=[[display current-date]];"
                           "q=[[display q]];link=[[param q]]"));
    install.WriteFile(www + "Choices.html",
                      Page("[[if colour]][[case red]]warm[[case blue]]cold[[else]]none[[end]];"
                           "[[set favourite]][[value green]]now=[[display favourite]]"));
    install.WriteFile(www + "Later.html", Page("favourite=[[display favourite]]"));
    install.WriteFile(www + "Status.html",
                      Page("status error=[[display error]];param1=[[display error-param1]]"));
    install.WriteFile(www + "Exit.html", Page("Goodbye"));
    install.WriteFile(www + "_cannot_exit.html", Page("Cannot exit yet"));
    install.WriteFile(www + "_io.html", Page("io error=[[display error]]"));
    install.WriteFile(www + "_cmd_file_not_found.html", Page("no command file"));
    install.WriteFile(www + "_smu_used.html", Page("another engine serves " + module));
    install.WriteFile(www + "script.js", ScriptFileBytes());
    install.WriteFile(www + "image.gif", ImageFileBytes());
    install.WriteFile(www + "sub/style.CSS", "body { color: black; }\n");
    // A file is "not modified" only when its time lies before the current second.
    for (const char* file : {"script.js", "image.gif", "sub/style.CSS"}) {
        std::filesystem::last_write_time(
            install.PathOf(www + file),
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    }
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "[[if x]][[case ]]";
    install.WriteFile(www + "Deep.html", Page("before" + deep + "after"));
    install.WriteParams("Name:Test plotter\r\nTCP\r\nIP: " + printerAddress +
                        "\r\nPort: 9100\r\nModule:" + module + "\r\n");
}

}  // namespace integration
