#include "tests/wine-e2e/WindowDriving.h"

#include "app/Resource.h"
#include "tests/wine-e2e/ProcessSupport.h"

#include <algorithm>

namespace tvqx::winproc {

std::string TextOf(HWND hwnd)
{
    char text[1024] = "";
    ::SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND WaitForWindow(DWORD process, const char* title)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : BoxesOf(process, {}))
                if (TextOf(hwnd) == title)
                    found = hwnd;
            return found != nullptr;
        },
        std::chrono::seconds(120));
    return found;
}

std::vector<HWND> BoxesOf(DWORD process, const std::vector<HWND>& except)
{
    std::vector<HWND> boxes;
    for (HWND hwnd = nullptr; (hwnd = ::FindWindowExA(nullptr, hwnd, kDialogClass, nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == process && ::IsWindowVisible(hwnd) &&
            std::find(except.begin(), except.end(), hwnd) == except.end())
            boxes.push_back(hwnd);
    }
    return boxes;
}

void Press(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool ChoosePort(HWND main, int port)
{
    const int chosen = IDC_COM1 + port - 1;
    const HWND button = ::GetDlgItem(main, chosen);
    if (!button || !::IsWindowEnabled(button))
        return false;
    for (int id = IDC_COM1; id < IDC_COM1 + 22; ++id)
        ::SendMessageA(::GetDlgItem(main, id), BM_SETCHECK, id == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(main, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

} // namespace tvqx::winproc
