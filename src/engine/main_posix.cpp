#include "engine/program_entry.h"
#include "platform/program.h"

int main(int, char** argv) {
    return RunEngineProgram(platform::ProgramNameFromCommandLine(argv[0]));
}
