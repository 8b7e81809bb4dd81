#pragma once
/// The list of printers in the selector's dialog: a report-style list view over the tab
/// control's page, one row per printer with its connection's icon, name and address.

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "selector/printer_entry.h"
#include "selector/printer_group.h"

class SelectorLog;

class PrinterListView {
public:
    /// The list view's control id.
    static constexpr int kId = 1008;

    PrinterListView() = default;
    PrinterListView(const PrinterListView&) = delete;
    PrinterListView& operator=(const PrinterListView&) = delete;

    /// Makes the list on the page of `tab`, 10 dialog units in from its left edge and below
    /// `above` (the option buttons), and places it after `above` in the Z order so they stay
    /// visible. False when it could not be made.
    bool Create(HWND dialog, HWND tab, HWND above, HINSTANCE instance);
    /// The small icons of the three connection types, by type; each that fails is logged and
    /// its rows show no icon.
    void AttachIcons(HINSTANCE instance, SelectorLog& log);
    /// False when the image list could not be destroyed.
    bool DestroyIcons();
    /// The icon column and the two text columns; false when one could not be inserted.
    bool InsertColumns();
    /// Headers and widths of `group`'s columns; false when a column could not be changed.
    bool SetColumns(PrinterGroup group);
    void DeleteRows();
    /// Appends `entry`'s row; false when it could not be inserted.
    bool AddRow(const PrinterEntry& entry);
    /// Selects and focuses the row that PreferredRow() names; false when the list is empty.
    bool SelectPreferred(const std::string& preference);
    /// True when a row is both selected and focused.
    bool HasFocusedSelection() const;
    /// The texts of the selected row's name and address columns; false when no row is selected.
    bool SelectedTexts(std::string* column1, std::string* column2) const;
    void Destroy();

    HWND Handle() const { return m_list; }

private:
    int RowCount() const;
    std::string TextAt(int row, int column) const;

    HWND m_list = nullptr;
    HIMAGELIST m_icons = nullptr;
};
