#pragma once
// What the tests of the native caller for CUPS queues share: the caller copied into an
// installation, the programs still running there, and the files they leave.

#include <string>
#include <vector>

#include "integration/installation.h"

namespace integration {

/// Copies this build's native caller into `install` and returns its path; an empty text with
/// the reason in `whyNot` when there is none to test (the Wine target, or no libcups when the
/// build was configured).
std::string InstallCupsCaller(Installation& install, std::string* whyNot);

/// Processes whose working directory is `folder`; with `program`, only those running it.
std::vector<int> ProcessesIn(const std::string& folder, const std::string& program = "");

/// Ends what still runs in `folder` (an engine the caller started and the test could not stop
/// on its exit page), so no engine outlives its test.
void EndProgramsRunningIn(const std::string& folder);

/// The bytes of the file at `path`; empty when there is none.
std::string ReadText(const std::string& path);

}  // namespace integration
