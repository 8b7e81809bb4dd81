#pragma once
/// "Settings...": a network printer's own web page in the user's default browser, reached
/// past the user's proxy.

#include <string>

#include "platform/user_shell.h"

class SelectorLog;

/// Where the page's settings are read; a test names its own keys.
struct PrinterWebPageKeys {
    /// Below HKEY_CURRENT_USER: "ProxyEnable" and "ProxyOverride".
    std::string internetSettings =
        "Software\\Microsoft\\Windows\\currentversion\\Internet Settings";
    /// Below HKEY_CLASSES_ROOT: the default value is the default browser's command.
    std::string browserCommand = "http\\shell\\open\\command";
};

/// Adds the printer's address (`column2Text`) to the proxy bypass list when a proxy is on,
/// then opens "http://" + address with the default browser, or with the shell when no
/// browser program can be told from its command.
void OpenPrinterWebPage(const std::string& column2Text, SelectorLog& log,
                        platform::UserShell& shell,
                        const PrinterWebPageKeys& keys = PrinterWebPageKeys());

/// The program of a browser's open command; empty when none can be told.
/// Quoted ("\"C:\\b\\b.exe\" -nohome \"%1\""): the text between the first two quotes; without a
/// closing quote, the text after the quote up to the blank before the first "-"; without
/// either, nothing. Unquoted: up to and including the first "." and the three characters
/// after it; nothing without a ".".
std::string SelectorBrowserProgram(const std::string& command);
