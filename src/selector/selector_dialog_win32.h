#pragma once
/// The selector's modeless dialog (resource 101): the printers of one group in a list under
/// two tabs, and the buttons that launch the engine, open a network printer's page, refresh
/// and quit.

#include <windows.h>

#include <string>

#include "platform/user_shell.h"
#include "selector/printer_group.h"
#include "selector/printer_list_view_win32.h"

class PrinterList;
class SelectorLog;
class SelectorPreferences;

class SelectorDialog {
public:
    /// What the dialog works with; all of it outlives the dialog.
    struct Context {
        HINSTANCE instance;
        SelectorLog& log;
        PrinterList& printers;
        SelectorPreferences& preferences;
        platform::UserShell& shell;
        /// Below HKEY_LOCAL_MACHINE: holds "PATH".
        std::string installationKey;
        std::string startPage;
    };

    explicit SelectorDialog(Context context);
    SelectorDialog(const SelectorDialog&) = delete;
    SelectorDialog& operator=(const SelectorDialog&) = delete;

    /// Creates the dialog, modeless and shown; null when it could not be made.
    HWND Create();

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnInitDialog();
    bool MakeTabsAndList();
    void ApplyTexts();
    void OnCommand(int id);
    void OnNotify(const NMHDR& header);
    void OnListChanged();

    /// The group the tab and the option buttons name.
    PrinterGroup CurrentGroup() const;
    /// Rebuilds, checks and shows `group`; false when the program has to end.
    bool ShowGroup(PrinterGroup group);
    bool FillRows(PrinterGroup group);
    /// Shows the current group; a failure ends the program.
    void ShowCurrentGroup();
    void Launch();
    void OpenPrinterPage();
    /// Saves the user's choice and closes the dialog and the program.
    void Close();
    /// Leaves without saving anything: the message loop ends, the dialog with it.
    void EndProgram();

    HWND Item(int id) const { return GetDlgItem(m_window, id); }
    void Enable(int id, bool enabled) const { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

    Context m_context;
    HWND m_window = nullptr;
    PrinterListView m_list;
    /// The "Printer" preference as read at start: the row selected whenever a group is shown.
    std::string m_printerPreference;
    bool m_ended = false;
};
