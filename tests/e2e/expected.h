// What the program is to show, as a user sees it: its numbers, texts and layout, written out here
// on purpose rather than taken from the program, so that the tests check the program against them.
#pragma once

#include <windows.h>

namespace e2e {

const wchar_t *const PROGRAM = L"krumenfeger.exe";

// The main window.
const wchar_t *const TITLE = L"Krumenfeger 0.9 ";
constexpr int FRAME_X = 100;
constexpr int FRAME_Y = 200;
constexpr int START_WIDTH = 200; // inner size as opened, menu bar included
constexpr int START_HEIGHT = 180;
constexpr int RESULTS_WIDTH = 1230;
constexpr int RESULTS_HEIGHT = 380;

// Menu items and gadgets.
constexpr int MENU_QUIT = 2;
constexpr int MENU_ABOUT = 3;
constexpr int BUTTON_CHOOSE = 5;
constexpr int BUTTON_QUIT = 6;
constexpr int BUTTON_DELETE = 7;
constexpr int BUTTON_RESCAN = 8;
constexpr int LABEL_JUNK = 9;
constexpr int LABEL_MP3 = 10;
constexpr int LABEL_OTHER = 11;
constexpr int LIST_JUNK = 12;
constexpr int LIST_MP3 = 13;
constexpr int LIST_OTHER = 14;

// Status-bar fields.
constexpr int FIELD_JUNK = 2;
constexpr int FIELD_MP3 = 3;
constexpr int FIELD_OTHER = 4;

// Dialogs.
const wchar_t *const QUIT_TITLE = L"Frage 001: Beenden Dialog";
const wchar_t *const QUIT_QUESTION = L"Möchten Sie wirklich beenden?";
const wchar_t *const ABOUT_TITLE = L"Krumenfeger";
const wchar_t *const ABOUT_TEXT =
    L" \r\rZweck\r\rKrumenfeger entfernt die leidigen *.mp3_work.mp3 Dateien aus dem "
    L"Vumbrel Musikverzeichnis.\r\r\r\rViel Spaß damit!\r\r";
const wchar_t *const CHOOSER_PROMPT =
    L"Bitte wählen Sie das Verzeichnis, in welchem Sie Ihre Musikdateien speichern...";
const wchar_t *const DELETE_TITLE = L"Mülldateien löschen";
const wchar_t *const DELETE_QUESTION = L"Möchten Sie jetzt die Mülldateien entfernen?";

// Status texts of the results view, followed by a count.
const wchar_t *const JUNK_PREFIX = L"Anzahl Müll-Dateien: ";
const wchar_t *const MP3_PREFIX = L"Anzahl MP3-Files: ";
const wchar_t *const OTHER_PREFIX = L"Andere Filetypen: ";

} // namespace e2e
