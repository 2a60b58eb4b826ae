#include "dialogs/settings_dialog.h"

#include <iterator>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "dialogs/copy_progress_dialog.h"
#include "dialogs/modal_dialog.h"
#include "dialogs/placement.h"
#include "resource.h"
#include "text/catalogue.h"
#include "text/text_scratch.h"

namespace {

// The radio buttons are chosen as the first button's id plus the stored value.
static_assert(IDB_SET_MONO == IDB_SET_STEREO + 1, "audio mode 1 is the button after stereo");
static_assert(IDB_SET_LOCK == IDB_SET_UNLOCK + 1, "door lock 1 is the button after unlocked");

int portWarningPending = 0;
int bufferWarningPending = 0;
WNDPROC savedPortEditProc = nullptr;
WNDPROC savedBufferEditProc = nullptr;

constexpr char Backspace = 8;

// Each control and the catalogue text it shows, set in this order.
struct ControlText {
    int controlId;
    int offset;
};

const ControlText controlTexts[] = {
    {IDT_SET_DESCRIPTION, TXT_INSTRUCTIONS},   {IDT_SET_DMA_LABEL, TXT_DMA_LABEL},
    {IDT_SET_IRQ_LABEL, TXT_IRQ_LABEL},        {IDT_SET_AUDIO_LABEL, TXT_AUDIO_LABEL},
    {IDB_SET_STEREO, TXT_STEREO},              {IDB_SET_MONO, TXT_MONO},
    {IDT_SET_LOCK_LABEL, TXT_LOCK_LABEL},      {IDB_SET_UNLOCK, TXT_UNLOCKED},
    {IDB_SET_LOCK, TXT_LOCKED},                {IDT_SET_PORT_LABEL, TXT_PORT_LABEL},
    {IDT_SET_BUFFER_LABEL, TXT_BUFFER_LABEL},  {IDB_SET_SETUP, TXT_SETUP_BUTTON},
    {IDB_CANCEL, TXT_CANCEL_BUTTON},
};

void ShowInputError(HWND dialog)
{
    CatalogueMessageBox(nullptr, dialog, CatalogueId(TXT_INPUT_ERROR_TITLE), CatalogueId(TXT_INPUT_ERROR_TEXT),
                        MB_ICONEXCLAMATION);
}

// Reads a field into the message part of textScratch.
const char* ReadField(HWND dialog, int controlId)
{
    textScratch.message[0] = '\0';
    GetDlgItemTextA(dialog, controlId, textScratch.message, MessageScratchCapacity);
    return textScratch.message;
}

template <size_t Count>
void FillChoiceList(HWND dialog, int controlId, const ChoiceEntry (&list)[Count], int selected)
{
    for (size_t index = 0; index < Count; ++index) {
        SendDlgItemMessageA(dialog, controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list[index].text));
    }
    SendDlgItemMessageA(dialog, controlId, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// The value of the list's selected entry, or the one given when none is selected.
template <size_t Count>
DWORD SelectedChoice(HWND dialog, int controlId, const ChoiceEntry (&list)[Count], DWORD unchanged)
{
    const LRESULT index = SendDlgItemMessageA(dialog, controlId, CB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<size_t>(index) < Count ? list[index].value : unchanged;
}

// Passes a keystroke on to the field only when accepts() allows its
// character; backspace always passes. Every other message goes on unchanged.
LRESULT FilterFieldMessage(WNDPROC saved, int (*accepts)(signed char), HWND field, UINT message, WPARAM wParam,
                           LPARAM lParam)
{
    if (message == WM_CHAR) {
        const signed char character = static_cast<signed char>(wParam & 0xFF);
        if (!accepts(character) && character != Backspace) {
            return 0;
        }
    }
    return CallWindowProcA(saved, field, message, wParam, lParam);
}

// Keys alone can put only hexadecimal digits into the port field.
LRESULT CALLBACK PortCharFilter(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    return FilterFieldMessage(savedPortEditProc, PortCharacterAccepted, field, message, wParam, lParam);
}

// Keys alone can put only decimal digits into the buffer field.
LRESULT CALLBACK BufferCharFilter(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    return FilterFieldMessage(savedBufferEditProc, BufferCharacterAccepted, field, message, wParam, lParam);
}

WNDPROC SubclassField(HWND dialog, int controlId, WNDPROC filter)
{
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(GetDlgItem(dialog, controlId), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(filter)));
}

INT_PTR OnInitDialog(HWND dialog)
{
    portWarningPending = 0;
    bufferWarningPending = 0;
    CentreOverOwner(dialog, GetWindow(dialog, GW_OWNER));

    const HINSTANCE instance = ModuleOf(dialog);
    SetWindowCatalogueText(dialog, instance, TXT_PRODUCT_TITLE);
    for (size_t index = 0; index < std::size(controlTexts); ++index) {
        SetWindowCatalogueText(GetDlgItem(dialog, controlTexts[index].controlId), instance,
                               controlTexts[index].offset);
    }

    int dmaIndex = 0;
    int irqIndex = 0;
    char portText[ParameterTextCapacity];
    char bufferText[ParameterTextCapacity];
    int audioMode = 0;
    int doorLock = 0;
    ReadDriverParameters(&dmaIndex, &irqIndex, portText, bufferText, &audioMode, &doorLock);

    FillChoiceList(dialog, IDC_SET_DMA_LIST, dmaChoiceList, dmaIndex);
    FillChoiceList(dialog, IDC_SET_IRQ_LIST, irqChoiceList, irqIndex);
    SendDlgItemMessageA(dialog, IDE_SET_PORT, EM_LIMITTEXT, PortTextLimit, 0);
    SetDlgItemTextA(dialog, IDE_SET_PORT, portText);
    SendDlgItemMessageA(dialog, IDE_SET_BUFFER, EM_LIMITTEXT, BufferTextLimit, 0);
    SetDlgItemTextA(dialog, IDE_SET_BUFFER, bufferText);
    CheckDlgButton(dialog, IDB_SET_STEREO + audioMode, BST_CHECKED);
    CheckDlgButton(dialog, IDB_SET_UNLOCK + doorLock, BST_CHECKED);

    savedPortEditProc = SubclassField(dialog, IDE_SET_PORT, PortCharFilter);
    savedBufferEditProc = SubclassField(dialog, IDE_SET_BUFFER, BufferCharFilter);
    return TRUE;
}

// EN_UPDATE notes an out-of-range text; the EN_CHANGE that follows warns once.
void OnFieldNotification(HWND dialog, int controlId, int notification, int (*outOfRange)(const char*),
                         int* warningPending)
{
    if (notification == EN_UPDATE) {
        if (outOfRange(ReadField(dialog, controlId))) {
            *warningPending = 1;
        }
    } else if (notification == EN_CHANGE && *warningPending == 1) {
        ShowInputError(dialog);
        *warningPending = 0;
    }
}

void RefuseField(HWND dialog, int controlId)
{
    ShowInputError(dialog);
    SetFocus(GetDlgItem(dialog, controlId));
}

void OnSetup(HWND dialog)
{
    driverSettings.DMAChannel = SelectedChoice(dialog, IDC_SET_DMA_LIST, dmaChoiceList, driverSettings.DMAChannel);
    driverSettings.IRQChannel = SelectedChoice(dialog, IDC_SET_IRQ_LIST, irqChoiceList, driverSettings.IRQChannel);

    const char* portText = ReadField(dialog, IDE_SET_PORT);
    if (!PortTextAccepted(portText)) {
        RefuseField(dialog, IDE_SET_PORT);
        return;
    }
    driverSettings.IOPortAddress = PortTextValue(portText);

    // The buffer size is stored before its test, as the product always did:
    // a size that Setup refuses stays in the settings until the next Setup.
    DWORD bufferSize = 0;
    const int bufferAccepted = BufferTextAccepted(ReadField(dialog, IDE_SET_BUFFER), &bufferSize);
    driverSettings.BufferSize = bufferSize;
    if (!bufferAccepted) {
        RefuseField(dialog, IDE_SET_BUFFER);
        return;
    }

    driverSettings.AudioMode = IsDlgButtonChecked(dialog, IDB_SET_MONO) == BST_CHECKED ? 1 : 0;
    driverSettings.DoorLock = IsDlgButtonChecked(dialog, IDB_SET_LOCK) == BST_CHECKED ? 1 : 0;

    // The copy and the registration run to their end: a close from outside
    // meanwhile (the taskbar's Close, another program) would report a finished
    // installation as cancelled.
    IgnoreWindowSystemCloses(dialog);
    Outcome result = OutcomeDone;
    if (copyFiles != 0) {
        result = RunModalDialog(ModuleOf(dialog), DLG_COPY_PROGRESS_NAME, dialog, CopyProgressDialog);
    }
    if (result == OutcomeDone) {
        const HCURSOR previous = GetCursor();
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        result = static_cast<Outcome>(RegisterDriver());
        SetCursor(previous);
    }
    PostCloseRequest(dialog, result);
}

void OnCommand(HWND dialog, int controlId, int notification)
{
    switch (controlId) {
    case IDE_SET_PORT:
        OnFieldNotification(dialog, IDE_SET_PORT, notification, PortTextOutOfRange, &portWarningPending);
        break;
    case IDE_SET_BUFFER:
        OnFieldNotification(dialog, IDE_SET_BUFFER, notification, BufferTextOutOfRange, &bufferWarningPending);
        break;
    case IDB_SET_SETUP:
        OnSetup(dialog);
        break;
    case IDB_CANCEL:
        PostCloseRequest(dialog, OutcomeCancelled);
        break;
    default:
        break;  // lists, radio buttons and Escape's IDCANCEL need nothing
    }
}

}  // namespace

INT_PTR CALLBACK SetupSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_SYSCOMMAND:
        return EndDialogOnClose(dialog, wParam);
    default:
        return FALSE;
    }
}
