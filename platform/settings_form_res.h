/* The settings dialog's resource IDs and texts, shared by the plug-in's resource script
   (host/Vesko.rc), both views of the form and the tests. Plain preprocessor definitions,
   since the resource compiler reads this file too. Texts are Shift JIS bytes; "&" marks a
   control's access key. */
#ifndef VESKO_PLATFORM_SETTINGS_FORM_RES_H
#define VESKO_PLATFORM_SETTINGS_FORM_RES_H

#define VESKO_IDD_SETTINGS 100
/* The dialog template's size in dialog units. */
#define VESKO_DIALOG_WIDTH 252
#define VESKO_DIALOG_HEIGHT 175
#define VESKO_IDB_FOLDER 101

/* Controls. The radio group is a group box with one button per item. */
#define VESKO_IDC_EXPORT_TARGET 1000
#define VESKO_IDC_TARGET_UNREAD 1001
#define VESKO_IDC_TARGET_ALL 1002
#define VESKO_IDC_TARGET_SELECTED 1003
#define VESKO_IDC_OPTIONS 1010
#define VESKO_IDC_SAVE_MEDOC 1011
#define VESKO_IDC_MARK_AS_READ 1012
#define VESKO_IDC_DEL_SPACE 1013
#define VESKO_IDC_DEL_DB_SPACE 1014
#define VESKO_IDC_DEL_CRLF 1015
#define VESKO_IDC_ZENTOHAN 1016
#define VESKO_IDC_ZENTOHAN_KANA 1017
#define VESKO_IDC_PANEL 1020
#define VESKO_IDC_AUTO_INSTALL 1021
#define VESKO_IDC_SELECT_USER 1022
#define VESKO_IDC_USERS 1023
#define VESKO_IDC_SAVE_PATH_LABEL 1024
#define VESKO_IDC_SAVE_PATH 1025
#define VESKO_IDC_BROWSE_FOLDER 1026
#define VESKO_IDC_MENU_FLAG 1030
#define VESKO_IDC_DOC_NAME_OPTIONS 1040
#define VESKO_IDC_DATE 1041
#define VESKO_IDC_TIME 1042
/* The apply and cancel buttons are the dialog's IDOK (1) and IDCANCEL (2). */

/* エクスポートの対象 */
#define VESKO_TEXT_EXPORT_TARGET "\x83G\x83N\x83X\x83|\x81[\x83g\x82\xCC\x91\xCE\x8F\xDB"
/* 未読のみ(&U) */
#define VESKO_TEXT_TARGET_UNREAD "\x96\xA2\x93\xC7\x82\xCC\x82\xDD(&U)"
/* 全てのメール(&A) */
#define VESKO_TEXT_TARGET_ALL "\x91S\x82\xC4\x82\xCC\x83\x81\x81[\x83\x8B(&A)"
/* 選択のみ(&S) */
#define VESKO_TEXT_TARGET_SELECTED "\x91I\x91\xF0\x82\xCC\x82\xDD(&S)"
/* オプション */
#define VESKO_TEXT_OPTIONS "\x83I\x83v\x83V\x83\x87\x83\x93"
/* MeDOC形式で保存(&M) */
#define VESKO_TEXT_SAVE_MEDOC "MeDOC\x8C`\x8E\xAE\x82\xC5\x95\xDB\x91\xB6(&M)"
/* 既読にする(&R) */
#define VESKO_TEXT_MARK_AS_READ "\x8A\xF9\x93\xC7\x82\xC9\x82\xB7\x82\xE9(&R)"
/* 行頭の改行削除(&L) */
#define VESKO_TEXT_DEL_CRLF "\x8Ds\x93\xAA\x82\xCC\x89\xFC\x8Ds\x8D\xED\x8F\x9C(&L)"
/* 空白削除(&D) */
#define VESKO_TEXT_DEL_SPACE "\x8B\xF3\x94\x92\x8D\xED\x8F\x9C(&D)"
/* 2バイト空白削除(&B) */
#define VESKO_TEXT_DEL_DB_SPACE "2\x83o\x83\x43\x83g\x8B\xF3\x94\x92\x8D\xED\x8F\x9C(&B)"
/* 2バイト英数字変換(&V) */
#define VESKO_TEXT_ZENTOHAN "2\x83o\x83\x43\x83g\x89p\x90\x94\x8E\x9A\x95\xCF\x8A\xB7(&V)"
/* 2バイト仮名変換(&V) */
#define VESKO_TEXT_ZENTOHAN_KANA "2\x83o\x83\x43\x83g\x89\xBC\x96\xBC\x95\xCF\x8A\xB7(&V)"
/* Docファイル名オプション */
#define VESKO_TEXT_DOC_NAME_OPTIONS "Doc\x83t\x83@\x83\x43\x83\x8B\x96\xBC\x83I\x83v\x83V\x83\x87\x83\x93"
/* 日付(&E) */
#define VESKO_TEXT_DATE "\x93\xFA\x95t(&E)"
/* 時刻(&T) */
#define VESKO_TEXT_TIME "\x8E\x9E\x8D\x8F(&T)"
/* HotSync予約(&H) */
#define VESKO_TEXT_AUTO_INSTALL "HotSync\x97\\\x96\xF1(&H)"
/* ユーザー選択: */
#define VESKO_TEXT_SELECT_USER "\x83\x86\x81[\x83U\x81[\x91I\x91\xF0:"
/* 保存場所: */
#define VESKO_TEXT_SAVE_PATH "\x95\xDB\x91\xB6\x8F\xEA\x8F\x8A:"
/* Menu項目をオンオフする(&O) */
#define VESKO_TEXT_MENU_FLAG "Menu\x8D\x80\x96\xDA\x82\xF0\x83I\x83\x93\x83I\x83t\x82\xB7\x82\xE9(&O)"
#define VESKO_TEXT_OK "Appl&y"
#define VESKO_TEXT_CANCEL "&Cancel"
#define VESKO_TEXT_CAPTION "Vesko Settings"
/* "ＭＳ Ｐゴシック", 9 points */
#define VESKO_TEXT_FONT "\x82l\x82r \x82o\x83S\x83V\x83\x62\x83N"
#define VESKO_FONT_POINTS 9
/* The folder browser's prompt: "DOCファイルを保存するフォルダを指定してください" */
#define VESKO_TEXT_BROWSE_PROMPT "DOC\x83t\x83@\x83\x43\x83\x8B\x82\xF0\x95\xDB\x91\xB6\x82\xB7\x82\xE9\x83t\x83H\x83\x8B\x83_\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2"

#endif
