#pragma once
/// The workstation's default web browser as the registry names it.

#include <string>

/// Below HKEY_CLASSES_ROOT: the default value holds the browser's open command.
extern const char* const kBrowserCommandKey;

/// The program of a shell open command: the text between the first pair of double quotes
/// when it starts with one, otherwise up to and including the first "." and the three
/// characters after it ("C:\x\browser.exe -nohome" gives "C:\x\browser.exe").
std::string BrowserProgramOfCommand(const std::string& command);
