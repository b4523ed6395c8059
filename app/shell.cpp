#include "app/shell.h"

#include "cleanup/handlers.h"
#include "common/identifiers.h"
#include "common/start_layout.h"
#include "ui/ui.h"

#include "krumenfeger_version.h"

namespace app {

int quit_flag = 0;

namespace {

constexpr int EXIT_CODE = 0;

constexpr int MAIN_X = 100;
constexpr int MAIN_Y = 200;
constexpr unsigned MAIN_WINDOW_STYLE = WS_CAPTION | WS_SYSMENU; // close box only, fixed size

constexpr int VERSION_LABEL_WIDTH = 60;
constexpr int VERSION_WIDTH = 100;

constexpr int START_BUTTON_X = 10;
constexpr int START_BUTTON_HEIGHT = 40;
constexpr int CHOOSE_BUTTON_Y = 30;
constexpr int QUIT_BUTTON_Y = 80;

const wchar_t *const TITLE = L"Krumenfeger " KRUMENFEGER_VERSION L" ";
const wchar_t *const MENU_FILE = L"Datei";
const wchar_t *const MENU_QUIT_TEXT = L"Beenden";
const wchar_t *const MENU_INFORMATION = L"Information";
const wchar_t *const MENU_ABOUT_TEXT = L"über...";
const wchar_t *const VERSION_LABEL = L" Version";
const wchar_t *const VERSION = KRUMENFEGER_VERSION L" ";
const wchar_t *const CHOOSE_BUTTON_TEXT = L"Vumbrel Musikverzeichnis wählen";
const wchar_t *const QUIT_BUTTON_TEXT = L"Programm beenden";

const wchar_t *const OPEN_FAILED_TITLE = L"Fehler 001: Fenster kann nicht geöffnet werden!";
const wchar_t *const OPEN_FAILED_TEXT =
    L"Ein öffnen des Programmfensters ist nicht möglich. Das Programm wird beendet!";
const wchar_t *const QUIT_TITLE = L"Frage 001: Beenden Dialog";
const wchar_t *const QUIT_QUESTION = L"Möchten Sie wirklich beenden?";
const wchar_t *const ABOUT_TITLE = L"Krumenfeger";
// Six paragraphs, each pair separated by two carriage returns.
const wchar_t *const ABOUT_TEXT = L" \r\r"
                                  L"Zweck\r\r"
                                  L"Krumenfeger entfernt die leidigen *.mp3_work.mp3 Dateien aus dem Vumbrel "
                                  L"Musikverzeichnis.\r\r"
                                  L"\r\r"
                                  L"Viel Spaß damit!\r\r";

void add_menu() {
    if (!ui::create_menu(ids::MAIN_MENU, ui::window_handle(ids::MAIN_WINDOW)))
        return;
    ui::add_menu_title(MENU_FILE);
    ui::add_menu_item(ids::MENU_QUIT, MENU_QUIT_TEXT);
    ui::add_menu_title(MENU_INFORMATION);
    ui::add_menu_item(ids::MENU_ABOUT, MENU_ABOUT_TEXT);
}

void add_status_bar() {
    if (!ui::create_status_bar(ids::STATUS_BAR, ui::window_handle(ids::MAIN_WINDOW)))
        return;
    ui::add_status_field(VERSION_LABEL_WIDTH);
    ui::add_status_field(VERSION_WIDTH);
    ui::add_status_field(ui::KEEP); // junk, MP3 and other counts share the rest
    ui::add_status_field(ui::KEEP);
    ui::add_status_field(ui::KEEP);
    // Each text would repaint the bar at once; one repaint from the event loop shows both.
    ui::hold_status_painting(ids::STATUS_BAR);
    ui::set_status_text(ids::STATUS_BAR, ids::FIELD_VERSION_LABEL, VERSION_LABEL);
    ui::set_status_text(ids::STATUS_BAR, ids::FIELD_VERSION, VERSION);
    ui::resume_status_painting(ids::STATUS_BAR);
}

void run_event_loop() {
    while (quit_flag != 1)
        dispatch(ui::wait_for_event());
}

} // namespace

bool open_main_window() {
    if (!ui::open_window(ids::MAIN_WINDOW, MAIN_X, MAIN_Y, start_layout::WIDTH, start_layout::HEIGHT, TITLE,
                         MAIN_WINDOW_STYLE)) {
        ui::message_box(OPEN_FAILED_TITLE, OPEN_FAILED_TEXT, ui::BOX_OK);
        return false;
    }
    add_menu();
    add_status_bar();
    ui::create_button(ids::BUTTON_CHOOSE_FOLDER, START_BUTTON_X, CHOOSE_BUTTON_Y, start_layout::BUTTON_WIDTH,
                      START_BUTTON_HEIGHT, CHOOSE_BUTTON_TEXT);
    ui::create_button(ids::BUTTON_QUIT, START_BUTTON_X, QUIT_BUTTON_Y, start_layout::BUTTON_WIDTH,
                      START_BUTTON_HEIGHT, QUIT_BUTTON_TEXT);
    return true;
}

void dispatch(int event) {
    switch (event) {
    case ui::EVENT_CLOSE:
        if (ui::event_window() == ids::MAIN_WINDOW)
            confirm_quit();
        break;
    case ui::EVENT_MENU:
        switch (ui::event_menu_item()) {
        case ids::MENU_QUIT:
            confirm_quit();
            break;
        case ids::MENU_ABOUT:
            show_about();
            break;
        }
        break;
    case ui::EVENT_GADGET:
        switch (ui::event_gadget()) {
        case ids::BUTTON_QUIT:
            confirm_quit();
            break;
        case ids::BUTTON_CHOOSE_FOLDER:
            cleanup::choose_folder_and_show_results();
            break;
        case ids::BUTTON_DELETE_JUNK:
            cleanup::remove_junk();
            break;
        case ids::BUTTON_RESCAN:
            cleanup::rescan();
            break;
        }
        break;
    }
}

void confirm_quit() {
    quit_flag = ui::message_box(QUIT_TITLE, QUIT_QUESTION, ui::BOX_YES_NO) == ui::ANSWER_YES ? 1 : 0;
}

void show_about() { ui::message_box(ABOUT_TITLE, ABOUT_TEXT, ui::BOX_OK); }

int run() {
    ui::initialise();
    quit_flag = 0;
    cleanup::reset_state();
    if (open_main_window())
        run_event_loop();
    ui::shut_down();
    return EXIT_CODE;
}

} // namespace app
