#include "engine/program_entry.h"
#include "platform/program.h"
#include "platform/program_strings.h"

int main(int, char** argv) {
    platform::UseProgramStrings(platform::kProgramStrings, platform::kProgramStringCount);
    return RunEngineProgram(platform::ProgramNameFromCommandLine(argv[0]));
}
