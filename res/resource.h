/* Every resource id of setupb.exe, shared by the resource scripts and the code.
 * A control id's prefix says its kind: IDT_ static text, IDB_ button, IDC_
 * combo box, IDE_ edit field, IDI_ icon. */
#ifndef SETUPB_RESOURCE_H
#define SETUPB_RESOURCE_H

/* Dialog templates, addressed by name. */
#define DLG_SETTINGS_NAME       "VlnCDSetDlg"
#define DLG_COPY_PROGRESS_NAME  "VlnCDWaitDlg"
#define DLG_DRIVER_PRESENT_NAME "VlnCDInitDlg"

/* The Cancel button carries the same id in all three dialogs. */
#define IDB_CANCEL              117

/* Settings dialog (VlnCDSetDlg). */
#define IDT_SET_DESCRIPTION     201
#define IDT_SET_DMA_LABEL       202
#define IDC_SET_DMA_LIST        102
#define IDT_SET_IRQ_LABEL       203
#define IDC_SET_IRQ_LIST        104
#define IDT_SET_AUDIO_LABEL     204
#define IDB_SET_STEREO          106
#define IDB_SET_MONO            107
#define IDT_SET_LOCK_LABEL      207
#define IDB_SET_UNLOCK          109
#define IDB_SET_LOCK            110
#define IDT_SET_PORT_LABEL      210
#define IDE_SET_PORT            112
#define IDT_SET_BUFFER_LABEL    211
#define IDE_SET_BUFFER          114
#define IDB_SET_SETUP           116

/* Driver-present dialog (VlnCDInitDlg). */
#define IDI_INIT_ICON           (-1)
#define IDT_INIT_QUESTION       212
#define IDB_INIT_CURRENT        122
#define IDB_INIT_NEW            123

/* Copy progress dialog (VlnCDWaitDlg): only the Cancel button, IDB_CANCEL. */

/* String catalogue: id = CATALOGUE_ORIGIN + language base + offset. The
 * comment after a base, in this form: the locale the screenshots show the
 * block in, then every character beyond ASCII its texts may use. The
 * languages are these lines: scripts/screenshots and
 * tests/static/check_built_program.py read them from here. */
#define CATALOGUE_ORIGIN        300
#define BASE_ENGLISH            32      /* en_US */
#define BASE_FRENCH             64      /* fr_FR àèéê’ */
#define BASE_GERMAN             96      /* de_DE Ääöü */
#define BASE_ITALIAN            128     /* it_IT àè’ */
#define BASE_SPANISH            160     /* es_ES ¿áé */
#define CATALOGUE_BLOCK_SIZE    32

/* Offsets within a language block: every block has a text at each offset
 * named here and none at the others (static.built_program holds this). */
#define TXT_PRODUCT_TITLE       0
#define TXT_INSTRUCTIONS        1
#define TXT_DMA_LABEL           2
#define TXT_IRQ_LABEL           3
#define TXT_AUDIO_LABEL         4
#define TXT_STEREO              5
#define TXT_MONO                6
#define TXT_LOCK_LABEL          7
#define TXT_UNLOCKED            8
#define TXT_LOCKED              9
#define TXT_PORT_LABEL          10
#define TXT_BUFFER_LABEL        11
#define TXT_SETUP_BUTTON        12
#define TXT_CANCEL_BUTTON       13
#define TXT_CURRENT_BUTTON      14
#define TXT_NEW_BUTTON          15
#define TXT_ENTER               16
#define TXT_COPY_PREFIX         17
#define TXT_TARGET_PREFIX       18
#define TXT_RESTART_NOTICE      20
#define TXT_INPUT_ERROR_TITLE   21
#define TXT_INPUT_ERROR_TEXT    22
#define TXT_BAD_DIR_TITLE       23
#define TXT_BAD_DIR_TEXT        24
#define TXT_DRIVER_QUESTION     25
#define TXT_INSTALL_FAILED      26

#endif
