#include "selector/selector_dialog_win32.h"

#include <commctrl.h>

#include "platform/wide_text_win32.h"
#include "selector/printer_list.h"
#include "selector/printer_web_page.h"
#include "selector/selected_printer.h"
#include "selector/selector_launch_win32.h"
#include "selector/selector_log.h"
#include "selector/selector_messages_win32.h"
#include "selector/selector_preferences.h"
#include "selector/selector_string_ids.h"

using platform::Wide;

namespace {

constexpr int kDialogResource = 101;
constexpr int kProgramIcon = 103;
constexpr int kInstructionId = 1004;
constexpr int kTabId = 1002;
constexpr int kUsbOptionId = 1012;
constexpr int kParallelOptionId = 1013;
constexpr int kNextId = 1009;
constexpr int kSettingsId = 1015;
constexpr int kRefreshId = 3;
constexpr int kQuitId = IDCANCEL;

constexpr int kLocalTab = 0;
constexpr int kNetworkTab = 1;

/// What a group logs when it has been read, and when its rows could not be shown.
struct GroupLines {
    const char* listed;
    const char* displayFailed;
    const char* rowFailed;
};

GroupLines LinesOf(PrinterGroup group) {
    switch (group) {
        case PrinterGroup::Parallel:
            return {"Got drivers information on Parallel selection.",
                    "Error in displaying the Printer List of LPT Printers",
                    "Failed to insert printer information via LPT in a List Box\n"};
        case PrinterGroup::Network:
            return {"Got drivers information on Network Selection",
                    "Error in displaying the TCP Printer List",
                    "Failed to insert printer information via TCP/IP in a List Box\n"};
        case PrinterGroup::Usb:
            break;
    }
    return {"Got USB information on USB selection.", "Error in displaying the USB Printer List",
            "Failed to insert printer information via USB in a List Box\n"};
}

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

bool InsertTab(HWND tab, int index, unsigned textId) {
    std::wstring text = Wide(SelectorString(textId));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = &text[0];
    return SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item)) == index;
}

/// An option button only as wide as its box and text: the page of the tab control under it
/// may be of another colour than the button's background.
void FitToText(HWND button) {
    const int length = GetWindowTextLengthW(button);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(button, &text[0], length + 1);
    const HDC dc = GetDC(button);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
    SelectObject(dc, previous);
    ReleaseDC(button, dc);
    RECT frame;
    GetWindowRect(button, &frame);
    const int width = GetSystemMetrics(SM_CXMENUCHECK) + extent.cx + 8;
    SetWindowPos(button, nullptr, 0, 0, width, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnScreen(HWND window) {
    RECT screen;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0)) {
        screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

SelectorDialog::SelectorDialog(Context context) : m_context(std::move(context)) {}

HWND SelectorDialog::Create() {
    const HWND window = CreateDialogParamW(m_context.instance, MAKEINTRESOURCEW(kDialogResource),
                                           nullptr, Procedure, reinterpret_cast<LPARAM>(this));
    if (window != nullptr && !m_ended) ShowWindow(window, SW_SHOW);
    return window;
}

INT_PTR CALLBACK SelectorDialog::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<SelectorDialog*>(lParam)->m_window = window;
    }
    auto* dialog = reinterpret_cast<SelectorDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog != nullptr ? dialog->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SelectorDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            // FALSE: the focus is set; the list has it, so its selected row shows as selected.
            OnInitDialog();
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return TRUE;
        case WM_CLOSE:
            Close();
            return TRUE;
        default:
            return FALSE;
    }
}

void SelectorDialog::OnInitDialog() {
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EnumChildWindows(m_window, SetFontOf, reinterpret_cast<LPARAM>(font));
    const HICON icon = LoadIconW(m_context.instance, MAKEINTRESOURCEW(kProgramIcon));
    SetClassLongPtrW(m_window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    SetClassLongPtrW(m_window, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icon));

    m_context.preferences.Ensure(m_context.log);
    if (!MakeTabsAndList()) {
        ShowSelectorMessage(m_window, selector_text::kInternalError);
        EndProgram();
        return;
    }
    SendMessageW(m_list.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    m_list.AttachIcons(m_context.instance, m_context.log);
    if (!m_list.InsertColumns()) {
        m_context.log.Write("Failed to insert header of printer information in a List Box\n");
        ShowSelectorMessage(m_window, selector_text::kInternalError);
        EndProgram();
        return;
    }
    Enable(kSettingsId, false);

    std::string domain;
    m_context.preferences.Read(&domain, &m_printerPreference, m_context.log);
    const PrinterGroup group = GroupOfDomain(domain);
    if (group == PrinterGroup::Network) {
        SendMessageW(Item(kTabId), TCM_SETCURSEL, kNetworkTab, 0);
    } else {
        CheckRadioButton(m_window, kUsbOptionId, kParallelOptionId,
                         group == PrinterGroup::Usb ? kUsbOptionId : kParallelOptionId);
    }
    if (!ShowGroup(group)) {
        EndProgram();
        return;
    }
    ApplyTexts();
    CentreOnScreen(m_window);
    SetFocus(m_list.Handle());
}

bool SelectorDialog::MakeTabsAndList() {
    const HWND tab = Item(kTabId);
    if (!InsertTab(tab, kLocalTab, selector_text::kLocalTab)) {
        m_context.log.Write("Failed to insert a Local pane in a Tab Control\n");
        return false;
    }
    if (!InsertTab(tab, kNetworkTab, selector_text::kNetworkTab)) {
        m_context.log.Write("Failed to insert a Network pane in a tab control\n");
        return false;
    }
    if (!m_list.Create(m_window, tab, Item(kParallelOptionId), m_context.instance)) {
        m_context.log.Write("Failed to Create a List View Box. Can not continue.\n");
        return false;
    }
    return true;
}

void SelectorDialog::ApplyTexts() {
    const std::string title = SelectorString(selector_text::kTitle);
    bool found = false;
    const std::string versions =
        InstalledVersionsText(SelectorString(selector_text::kVersionsKey), &found, m_context.log);
    SetWindowTextW(m_window, Wide(SelectorWindowTitle(title, versions, found)).c_str());
    const struct {
        int control;
        unsigned text;
    } texts[] = {
        {kInstructionId, selector_text::kInstruction},
        {kNextId, selector_text::kNext},
        {kSettingsId, selector_text::kSettings},
        {kRefreshId, selector_text::kRefresh},
        {kQuitId, selector_text::kQuit},
        {kParallelOptionId, selector_text::kParallel},
    };
    for (const auto& text : texts) {
        SetDlgItemTextW(m_window, text.control, Wide(SelectorString(text.text)).c_str());
    }
    FitToText(Item(kUsbOptionId));
    FitToText(Item(kParallelOptionId));
}

void SelectorDialog::OnCommand(int id) {
    switch (id) {
        case kNextId:
            Launch();
            break;
        case kSettingsId:
            OpenPrinterPage();
            break;
        case kRefreshId:
        case kUsbOptionId:
        case kParallelOptionId:
            ShowCurrentGroup();
            break;
        case kQuitId:
            Close();
            break;
        default:
            break;
    }
}

void SelectorDialog::OnNotify(const NMHDR& header) {
    if (m_ended) return;
    if (header.idFrom == kTabId && header.code == TCN_SELCHANGE) {
        ShowCurrentGroup();
        return;
    }
    if (header.idFrom != static_cast<UINT_PTR>(PrinterListView::kId)) return;
    if (header.code == NM_DBLCLK && reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) {
        Launch();
        return;
    }
    OnListChanged();
}

void SelectorDialog::OnListChanged() {
    if (m_list.Handle() == nullptr) return;
    const bool selected = m_list.HasFocusedSelection();
    Enable(kNextId, selected);
    if (CurrentGroup() == PrinterGroup::Network) Enable(kSettingsId, selected);
}

PrinterGroup SelectorDialog::CurrentGroup() const {
    if (SendMessageW(Item(kTabId), TCM_GETCURSEL, 0, 0) == kNetworkTab) {
        return PrinterGroup::Network;
    }
    return IsDlgButtonChecked(m_window, kUsbOptionId) == BST_CHECKED ? PrinterGroup::Usb
                                                                     : PrinterGroup::Parallel;
}

bool SelectorDialog::ShowGroup(PrinterGroup group) {
    PrinterList& printers = m_context.printers;
    printers.Empty();
    switch (group) {
        case PrinterGroup::Usb:
            printers.ListUsbPrinters();
            break;
        case PrinterGroup::Parallel:
            printers.ListParallelPrinters();
            break;
        case PrinterGroup::Network:
            printers.ListNetworkPrinters();
            break;
    }
    m_context.log.Write(LinesOf(group).listed);
    if (printers.Count() == 0)
        m_context.log.Write("There are no printers configured on the system");
    const bool validated = printers.Validate(m_context.startPage, [this] {
        ShowSelectorMessage(m_window, selector_text::kInternalError);
    });
    if (!validated) {
        m_context.log.Write("Printers can not be validated.");
        return false;
    }
    if (!m_list.SetColumns(group)) {
        m_context.log.Write("Error in changing header of a List View Column");
        m_list.Destroy();
        return false;
    }
    if (!FillRows(group)) return false;

    const bool network = group == PrinterGroup::Network;
    if (!network) {
        // The option shown is the option checked, also after a start on the Network tab.
        CheckRadioButton(m_window, kUsbOptionId, kParallelOptionId,
                         group == PrinterGroup::Usb ? kUsbOptionId : kParallelOptionId);
    }
    const bool selected = m_list.SelectPreferred(m_printerPreference);
    Enable(kNextId, selected);
    ShowWindow(Item(kUsbOptionId), network ? SW_HIDE : SW_SHOW);
    ShowWindow(Item(kParallelOptionId), network ? SW_HIDE : SW_SHOW);
    Enable(kSettingsId, network && selected);
    return true;
}

bool SelectorDialog::FillRows(PrinterGroup group) {
    m_list.DeleteRows();
    for (const PrinterEntry* entry = m_context.printers.First(); entry != nullptr;
         entry = entry->next) {
        if (!m_list.AddRow(*entry)) {
            m_context.log.Write(LinesOf(group).rowFailed);
            m_context.log.Write(LinesOf(group).displayFailed);
            return false;
        }
    }
    return true;
}

void SelectorDialog::ShowCurrentGroup() {
    if (m_ended) return;
    if (!ShowGroup(CurrentGroup())) EndProgram();
}

void SelectorDialog::Launch() {
    if (m_ended) return;
    LaunchRequest request;
    request.installationKey = m_context.installationKey;
    request.startPage = m_context.startPage;
    request.usbChecked = IsDlgButtonChecked(m_window, kUsbOptionId) == BST_CHECKED;
    request.usbShown = CurrentGroup() == PrinterGroup::Usb;
    request.selectedTexts = [this](std::string* column1, std::string* column2) {
        return m_list.SelectedTexts(column1, column2);
    };
    switch (LaunchSelectedPrinter(m_window, request, m_context.printers, m_context.log)) {
        case LaunchOutcome::Launched:
            Close();
            break;
        case LaunchOutcome::EndProgram:
            EndProgram();
            break;
        case LaunchOutcome::StayInDialog:
            break;
    }
}

void SelectorDialog::OpenPrinterPage() {
    std::string column1;
    std::string column2;
    if (!m_list.SelectedTexts(&column1, &column2)) return;
    OpenPrinterWebPage(column2, m_context.log, m_context.shell);
}

void SelectorDialog::Close() {
    if (m_ended) return;
    m_context.printers.Empty();
    if (!m_list.DestroyIcons()) m_context.log.Write("Destruction of an ImageList has failed.");
    std::string column1;
    std::string column2;
    m_list.SelectedTexts(&column1, &column2);
    m_context.preferences.Save(DomainOfGroup(CurrentGroup()), column2, m_context.log);
    m_ended = true;
    DestroyWindow(m_window);
    PostQuitMessage(0);
}

void SelectorDialog::EndProgram() {
    if (m_ended) return;
    m_ended = true;
    PostQuitMessage(1);
}
