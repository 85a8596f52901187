#include "desktop/win/tracker_address_dialog.h"

#include <cstdint>
#include <vector>

#include "core/win/utf8.h"
#include "desktop/network_settings.h"
#include "desktop/win/centered_message_box.h"

namespace mb {
namespace {

// What the dialog procedure works on: the text it starts with, and what OK accepted.
struct DialogState {
    std::wstring initial;
    std::optional<std::string> accepted;
};

// A dialog template built in memory: DLGTEMPLATE, then each DLGITEMTEMPLATE on a DWORD boundary,
// each with its class atom, title, and no creation data. Sizes in dialog units.
class TemplateWriter {
public:
    TemplateWriter(const wchar_t* title, short width, short height, WORD items) {
        const DWORD style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        dwords(style, 0);
        words({items, 0, 0, static_cast<WORD>(width), static_cast<WORD>(height), 0, 0});  // no menu, class
        text(title);
        words({9});  // the font: 9 points of the dialog face
        text(L"Segoe UI");
    }
    void item(WORD atom, DWORD style, short x, short y, short width, short height, WORD id, const wchar_t* title) {
        while (data_.size() % 2 != 0) data_.push_back(0);  // DWORD alignment
        dwords(style | WS_CHILD | WS_VISIBLE, 0);
        words({static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(width), static_cast<WORD>(height), id,
               0xFFFF, atom});
        text(title);
        words({0});  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    void dwords(DWORD style, DWORD exStyle) { words({LOWORD(style), HIWORD(style), LOWORD(exStyle), HIWORD(exStyle)}); }
    void words(std::initializer_list<WORD> values) { data_.insert(data_.end(), values); }
    void text(const wchar_t* value) {
        for (; *value; ++value) data_.push_back(static_cast<WORD>(*value));
        data_.push_back(0);
    }
    std::vector<WORD> data_;
};

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

// The address box gets the focus with all of its text selected, so typing replaces it.
void selectAddress(HWND dialog) {
    HWND edit = ::GetDlgItem(dialog, kTrackerAddressEditId);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

std::wstring itemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

// OK: an empty box or a usable address ends the dialog; anything else says why and stays.
void onOk(HWND dialog, DialogState& state) {
    const std::string text = wideToUtf8(itemText(dialog, kTrackerAddressEditId));
    const TrackerUrlCheck check = checkTrackerUrl(text);
    if (text.find_first_not_of(" \t") == std::string::npos || check.url) {
        state.accepted = check.url.value_or(std::string());
        ::EndDialog(dialog, IDOK);
        return;
    }
    ::SetDlgItemTextW(dialog, kTrackerAddressProblemId, Utf8ToWide(check.problem).c_str());
    selectAddress(dialog);
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        centerWindowOver(dialog, ::GetWindow(dialog, GW_OWNER));
        ::SetDlgItemTextW(dialog, kTrackerAddressEditId, state->initial.c_str());
        selectAddress(dialog);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (!state) break;
        if (LOWORD(wParam) == IDOK) {
            onOk(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::string> askTrackerAddress(HWND owner, const std::string& current) {
    TemplateWriter dialog(kTrackerAddressTitle, 260, 78, 5);
    dialog.item(kStatic, SS_LEFT | SS_NOPREFIX, 7, 7, 246, 9, 0xFFFF,
                L"The tracker's base address (the part before /api):");
    dialog.item(kEdit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 18, 246, 14, kTrackerAddressEditId, L"");
    dialog.item(kStatic, SS_LEFT | SS_NOPREFIX, 7, 36, 246, 9, kTrackerAddressProblemId, L"");
    dialog.item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 56, 50, 14, IDOK, L"OK");
    dialog.item(kButton, BS_PUSHBUTTON | WS_TABSTOP, 203, 56, 50, 14, IDCANCEL, L"Cancel");
    DialogState state{Utf8ToWide(current), std::nullopt};
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), owner, &dialogProcedure,
                                                     reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;
    return state.accepted;
}

}  // namespace mb
