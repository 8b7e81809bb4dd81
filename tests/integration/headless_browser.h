#pragma once
// A real browser for the journey tests: headless Chromium opens a page as the user's browser
// would, runs its scripts, and gives back the document it ended with and a picture of it.

#include <string>

namespace integration {

struct BrowsedPage {
    bool loaded = false;  // Chromium ran and printed a document
    std::string dom;      // the document after its scripts ran, as Chromium serialises it
    std::string output;   // what Chromium said, for a failure message
};

/// True when Chromium is installed.
bool HeadlessBrowserAvailable();

/// Opens `url` in a fresh headless Chromium, lets its scripts run for `scriptMilliseconds` of
/// the page's own time, and returns the document. When `screenshotPath` is not empty, the same
/// run saves a 1024x768 picture of the page there: the page is asked for once either way.
BrowsedPage BrowsePage(const std::string& url, const std::string& screenshotPath = "",
                       int scriptMilliseconds = 2000);

}  // namespace integration
