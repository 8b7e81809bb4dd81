#include "open_command.h"

HRESULT MakeOpenCommand(const std::string& modulePath, const ShortPathFunction& shortPath,
                        std::string* command) {
    std::string program = modulePath.substr(0, MAX_PATH);
    program.replace(program.size() >= 3 ? program.size() - 3 : 0, 3, "exe");
    char buffer[MAX_PATH] = {};
    DWORD length = shortPath(program.c_str(), buffer, MAX_PATH);
    // A length of the whole buffer (or more: the size it would need) leaves no room for the
    // terminator: the short form does not fit.
    if (length >= MAX_PATH) return E_OUTOFMEMORY;
    *command = (length == 0 ? program : std::string(buffer, length)) + " %1";
    return S_OK;
}
