#include "selector/printer_list_view_win32.h"

#include <commctrl.h>

#include <vector>

#include "platform/wide_text_win32.h"
#include "selector/selected_printer.h"
#include "selector/selector_log.h"
#include "selector/selector_messages_win32.h"
#include "selector/selector_string_ids.h"

using platform::Utf8;
using platform::Wide;

namespace {

constexpr int kIconSize = 16;
constexpr int kIconColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kAddressColumn = 2;
/// Each text field of a printer holds up to 260 bytes.
constexpr int kTextBuffer = 260;

struct ConnectionIcon {
    int resource;
    const char* failure;
};

/// By connection type: a row's image index is its connection type.
const ConnectionIcon kConnectionIcons[] = {
    {104, "Failed to add USB icon in an Image List\n"},
    {105, "Failed to add PARALLEL icon in an Image List\n"},
    {108, "Failed to add NETWORK icon in an Image List\n"},
};

unsigned AddressHeaderOf(PrinterGroup group) {
    switch (group) {
        case PrinterGroup::Parallel:
            return selector_text::kPortHeader;
        case PrinterGroup::Network:
            return selector_text::kAddressHeader;
        case PrinterGroup::Usb:
            break;
    }
    return selector_text::kSerialNumberHeader;
}

bool SetColumn(HWND list, int column, const std::wstring& text, int width) {
    LVCOLUMNW header = {};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.pszText = const_cast<wchar_t*>(text.c_str());
    header.cx = width;
    return SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(&header)) != FALSE;
}

bool SetCellText(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = &wide[0];
    return SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&cell)) != FALSE;
}

}  // namespace

bool PrinterListView::Create(HWND dialog, HWND tab, HWND above, HINSTANCE instance) {
    RECT page;
    GetClientRect(tab, &page);
    TabCtrl_AdjustRect(tab, FALSE, &page);
    MapWindowPoints(tab, dialog, reinterpret_cast<POINT*>(&page), 2);
    RECT buttons;
    GetWindowRect(above, &buttons);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&buttons), 2);
    RECT margin = {10, 4, 10, 6};
    MapDialogRect(dialog, &margin);
    const int left = page.left + margin.left;
    const int top = buttons.bottom + margin.top;
    const int width = page.right - margin.right - left;
    const int height = page.bottom - margin.bottom - top;
    m_list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | LVS_REPORT |
                                 LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                             left, top, width, height, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), instance, nullptr);
    if (m_list == nullptr) return false;
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    SetWindowPos(m_list, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void PrinterListView::AttachIcons(HINSTANCE instance, SelectorLog& log) {
    m_icons = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 3, 0);
    for (const ConnectionIcon& icon : kConnectionIcons) {
        const HICON image = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(icon.resource),
                                                          IMAGE_ICON, kIconSize, kIconSize, 0));
        if (m_icons == nullptr || image == nullptr || ImageList_AddIcon(m_icons, image) < 0) {
            log.Write(icon.failure);
        }
        if (image != nullptr) DestroyIcon(image);
    }
    if (m_icons != nullptr) {
        SendMessageW(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_icons));
    }
}

bool PrinterListView::DestroyIcons() {
    if (m_list != nullptr) SendMessageW(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    const bool destroyed = m_icons != nullptr && ImageList_Destroy(m_icons) != FALSE;
    m_icons = nullptr;
    return destroyed;
}

bool PrinterListView::InsertColumns() {
    for (int column = kIconColumn; column <= kAddressColumn; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<wchar_t*>(L"");
        header.iSubItem = column;
        if (SendMessageW(m_list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                         reinterpret_cast<LPARAM>(&header)) != column) {
            return false;
        }
    }
    return true;
}

bool PrinterListView::SetColumns(PrinterGroup group) {
    RECT client;
    GetClientRect(m_list, &client);
    const int width = client.right - client.left;
    return SetColumn(m_list, kIconColumn, L"", width * 7 / 100) &&
           SetColumn(m_list, kNameColumn, Wide(SelectorString(selector_text::kModelHeader)),
                     width * 495 / 1000) &&
           SetColumn(m_list, kAddressColumn, Wide(SelectorString(AddressHeaderOf(group))),
                     width * 495 / 1000);
}

void PrinterListView::DeleteRows() { SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0); }

bool PrinterListView::AddRow(const PrinterEntry& entry) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = RowCount();
    row.pszText = const_cast<wchar_t*>(L"");
    row.iImage = entry.connectionType;
    const int index =
        static_cast<int>(SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    return index >= 0 && SetCellText(m_list, index, kNameColumn, entry.displayName) &&
           SetCellText(m_list, index, kAddressColumn, Column2TextOf(entry));
}

bool PrinterListView::SelectPreferred(const std::string& preference) {
    const int rows = RowCount();
    if (rows <= 0) return false;
    std::vector<std::string> addresses;
    for (int row = 0; row < rows; ++row) addresses.push_back(TextAt(row, kAddressColumn));
    const int chosen = static_cast<int>(PreferredRow(addresses, preference));
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(chosen),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(chosen), FALSE);
    return true;
}

bool PrinterListView::HasFocusedSelection() const {
    return SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                        MAKELPARAM(LVNI_SELECTED | LVNI_FOCUSED, 0)) >= 0;
}

bool PrinterListView::SelectedTexts(std::string* column1, std::string* column2) const {
    const int row = static_cast<int>(
        SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return false;
    *column1 = TextAt(row, kNameColumn);
    *column2 = TextAt(row, kAddressColumn);
    return true;
}

void PrinterListView::Destroy() {
    if (m_list != nullptr) DestroyWindow(m_list);
    m_list = nullptr;
}

int PrinterListView::RowCount() const {
    return static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::string PrinterListView::TextAt(int row, int column) const {
    wchar_t buffer[kTextBuffer] = {};
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = buffer;
    cell.cchTextMax = kTextBuffer;
    const LRESULT length = SendMessageW(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(&cell));
    return Utf8(std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}
