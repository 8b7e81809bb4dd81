#include "integration/headless_browser.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "harness/child_process.h"
#include "support/scratch_folder.h"

namespace integration {
namespace {

const char* const kChromium = "/usr/bin/chromium";

std::vector<std::string> ChromiumCommand(const std::string& profile, int scriptMilliseconds) {
    // Tests run as root in a namespace of their own: the sandbox cannot start there, and no
    // proxy or first-run page may stand between the browser and the engine.
    return {kChromium,
            "--headless=new",
            "--no-sandbox",
            "--disable-gpu",
            "--no-first-run",
            "--no-default-browser-check",
            "--no-proxy-server",
            "--user-data-dir=" + profile,
            "--window-size=1024,768",
            "--virtual-time-budget=" + std::to_string(scriptMilliseconds)};
}

}  // namespace

bool HeadlessBrowserAvailable() { return access(kChromium, X_OK) == 0; }

BrowsedPage BrowsePage(const std::string& url, const std::string& screenshotPath,
                       int scriptMilliseconds) {
    BrowsedPage page;
    ScratchFolder profile;
    // One run for the DOM and the picture: a second run would ask for the page again,
    // and a page bound to a printer command would send its file again.
    std::vector<std::string> command = ChromiumCommand(profile.Path(), scriptMilliseconds);
    command.push_back("--dump-dom");
    if (!screenshotPath.empty()) {
        std::filesystem::create_directories(std::filesystem::path(screenshotPath).parent_path());
        command.push_back("--screenshot=" + screenshotPath);
    }
    command.push_back(url);
    const harness::ChildResult dumped = harness::RunChild(command, profile.Path(), {}, 180);
    page.output = dumped.output;
    // Chromium's own messages share the output with the DOM, before and after it.
    const std::size_t start = dumped.output.find("<html");
    const std::size_t end = dumped.output.rfind("</html>");
    if (dumped.started && !dumped.timedOut && dumped.exitCode == 0 && start != std::string::npos &&
        end != std::string::npos && end > start) {
        page.loaded = true;
        page.dom = dumped.output.substr(start, end + 7 - start);
    }
    return page;
}

}  // namespace integration
