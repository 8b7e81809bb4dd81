#pragma once
/// What the selector tells the engine through the params file.

#include <string>

#include "selector/printer_entry.h"

class SelectorLog;

/// The page the engine opens first: the whole command line when it holds ".html" anywhere,
/// else "MainMenu.html".
std::string StartPageOf(const std::string& commandLine);

/// The command line the start page is read from. The launcher starts the selector with the
/// page as its whole command line, so the page is the first word, which the runtime's
/// "arguments" (`afterProgram`) skip as the program's name; a user who types the page after
/// the program has it there.
std::string SelectorCommandLine(const std::string& whole, const std::string& afterProgram);

/// The params file's text for `entry`, lines joined by single line feeds, no final break.
std::string SelectorParamsText(const PrinterEntry& entry, const std::string& startPage);

/// "params" in the installation folder `installationPath`.
std::string ParamsFilePath(const std::string& installationPath);

/// Creates or truncates the file at `path` and writes `text` from its start. A file that
/// cannot be created is logged and the launch goes on: the engine then reports it.
bool WriteParamsFile(const std::string& path, const std::string& text, SelectorLog& log);
