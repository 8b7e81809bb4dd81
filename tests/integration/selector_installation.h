#pragma once
// An installation of the printer selector under Wine, laid out as the installer lays one out:
// the selector and the engine in one folder, "supportedprinters.xml", a "Log" folder, the
// installation's registry values, and print queues in the prefix's spooler whose ports the
// port monitors' registry keys describe.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "harness/desktop.h"
#include "integration/installation.h"

namespace integration {

/// The dialog's title: string 3, the same in every language.
constexpr const char* kSelectorTitle = "Orvik Plotara system maintenance";

/// One print queue of the spooler fixture.
struct FixtureQueue {
    const char* name;
    const char* port;
    const char* driver;
};

/// The queues every selector test finds: one on each kind of port the selector tells apart.
const std::vector<FixtureQueue>& SelectorQueues();

/// Adds SelectorQueues() to the prefix's spooler and removes them again: one per test suite,
/// since the spooler is the whole prefix's.
class SpoolerQueues {
public:
    SpoolerQueues();
    ~SpoolerQueues();
    SpoolerQueues(const SpoolerQueues&) = delete;
    SpoolerQueues& operator=(const SpoolerQueues&) = delete;

    /// An empty text when every queue went in, else what the fixture said.
    const std::string& Failure() const { return m_failure; }
    /// Removes one queue now (a printer the user uninstalls); false when the spooler refused.
    static bool Remove(const std::string& name);

private:
    std::string m_failure;
};

class SelectorInstallation {
public:
    /// Lays out the installation with `engine` ("velkor" for the real engine, "program_recorder"
    /// for the stand-in that records how it was started) as "velkor.exe".
    explicit SelectorInstallation(const std::string& engine);

    Installation& Install() { return m_install; }
    const harness::VirtualDisplay& Display() const { return m_display; }

    /// Registry values beyond the installation's own: preferences, the user's proxy settings,
    /// installed versions. Call before the first Start.
    void SetRegistry(const std::function<void(harness::RegistryFile&)>& more);
    /// Writes the installation's registry entries and those of SetRegistry; the first Start
    /// does it when no one did, later ones keep what the selector saved.
    void WriteRegistry();
    /// The title the dialog is found by from now on (it names the installed versions).
    void ExpectTitle(const std::string& title) { m_title = title; }
    /// Starts "printer_selector.exe" (or `program`) with `arguments` in the installation
    /// folder, on the test display, in `locale`; waits for its dialog. False when it did not show.
    bool Start(const std::vector<std::string>& arguments = {},
               const std::string& program = "printer_selector", const std::string& locale = "");
    /// Starts another selector and waits for its end; its result.
    harness::ChildResult RunSecond();
    /// Waits for the selector to end; its result. A selector that hangs is photographed, then
    /// killed.
    harness::ChildResult WaitForExit(double guardSeconds = 60);
    bool IsRunning() { return m_child.IsRunning(); }

    /// The dialog's list, re-read; fails the test when it cannot be read.
    harness::ListViewContents List() const;
    harness::DialogControl Control(int id) const;
    bool Press(const std::string& button) const;
    bool SelectTab(int index) const;
    bool SelectRow(int row) const;
    bool DoubleClickRow(int row) const;
    /// Saves a screenshot named `name` in the artefacts.
    void Screenshot(const std::string& name) const;

    /// The messages of ".\Log\PrinterSelector.log"; fails the test when a line is not
    /// "D-M-YYYY TAB H:M TAB :: message".
    std::vector<std::string> LogMessages() const;
    /// The installation directory as the selector sees it.
    std::string WindowsDirectory() const;
    /// A string value the selector wrote (or any value of the prefix).
    std::optional<std::string> Registry(const std::string& key, const std::string& name) const;

private:
    Installation m_install;
    harness::VirtualDisplay m_display;
    harness::BackgroundChild m_child;
    std::function<void(harness::RegistryFile&)> m_more;
    std::string m_title = kSelectorTitle;
    bool m_registryWritten = false;
};

/// Adds to `registry` the removal of what the selector tests write outside the installation's
/// key (the port monitors' keys, the installed versions, the user's proxy settings): the Wine
/// prefix is every test's, and its own tests expect these keys missing.
void ForgetSelectorRegistry(harness::RegistryFile& registry);

/// The installation's registry key and the preference keys below it.
extern const char* const kSelectorInstallationKey;
extern const char* const kDomainKey;
extern const char* const kPrinterKey;

}  // namespace integration
