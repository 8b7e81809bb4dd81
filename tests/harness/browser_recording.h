#pragma once
// The workstation's web browser in tests: the browser_recorder tool, registered as the
// "http" program, records each address it is asked to open as a line in
// "browser-opened.txt" beside itself instead of opening a window.

#include <cstddef>
#include <string>
#include <vector>

#include "harness/installation_builder.h"
#include "harness/program_target.h"

namespace harness {

/// Installs the recorder of `target` into `builder`'s folder (as "browser_recorder[.exe]")
/// and returns `entries` with what makes it the workstation's "http" browser added
/// (HKEY_CLASSES_ROOT\http\shell\open\command: the quoted path as the program sees it, then
/// "%1"). Pass the installation's other entries in: natively WriteRegistry replaces the
/// whole store, so they must go in one file.
RegistryFile RecordingBrowser(InstallationBuilder& builder, const ProgramTarget& target,
                              RegistryFile entries = {});

/// The addresses the recorder was asked to open, one per start, in order ("" lines kept).
std::vector<std::string> OpenedAddresses(const InstallationBuilder& builder);

/// Waits until at least `count` addresses were recorded; false after `guardSeconds`.
bool WaitForOpenedAddresses(const InstallationBuilder& builder, std::size_t count,
                            double guardSeconds = 30);

}  // namespace harness
