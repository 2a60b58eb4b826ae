#include "dialogs/driver_present_dialog.h"

#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "dialogs/placement.h"
#include "resource.h"
#include "text/catalogue.h"

namespace {

INT_PTR OnInitDialog(HWND dialog)
{
    CentreOverOwner(dialog, GetWindow(dialog, GW_OWNER));
    const HINSTANCE instance = ModuleOf(dialog);
    SetWindowCatalogueText(dialog, instance, TXT_PRODUCT_TITLE);
    SetWindowCatalogueText(GetDlgItem(dialog, IDT_INIT_QUESTION), instance, TXT_DRIVER_QUESTION);
    SetWindowCatalogueText(GetDlgItem(dialog, IDB_INIT_CURRENT), instance, TXT_CURRENT_BUTTON);
    SetWindowCatalogueText(GetDlgItem(dialog, IDB_INIT_NEW), instance, TXT_NEW_BUTTON);
    SetWindowCatalogueText(GetDlgItem(dialog, IDB_CANCEL), instance, TXT_CANCEL_BUTTON);
    return TRUE;
}

void OnCommand(HWND dialog, int controlId)
{
    switch (controlId) {
    case IDB_INIT_CURRENT:
        copyFiles = 0;  // keep the installed driver: only the registry is rewritten
        PostCloseRequest(dialog, OutcomeDone);
        break;
    case IDB_INIT_NEW:
        PostCloseRequest(dialog, OutcomeDone);
        break;
    case IDB_CANCEL:
        PostCloseRequest(dialog, OutcomeCancelled);
        break;
    default:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK DriverPresentDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return FALSE;
    case WM_SYSCOMMAND:
        return EndDialogOnClose(dialog, wParam);
    default:
        return FALSE;
    }
}
