// Every numbered window-system object of the program, in one place (the folder listing has its own
// space, in cleanup/). Each kind of object has its own identifier space, so the numbers only have to
// be unique within a kind; they are kept distinct all the same. Here rather than in app/ or cleanup/
// because both address these objects and neither folder may depend on the other.
#pragma once

#include "ui/ui.h"

namespace ids {

constexpr ui::Id MAIN_WINDOW = 0;
constexpr ui::Id MAIN_MENU = 1;
constexpr ui::Id MENU_QUIT = 2;
constexpr ui::Id MENU_ABOUT = 3;
constexpr ui::Id STATUS_BAR = 4;

constexpr ui::Id BUTTON_CHOOSE_FOLDER = 5;
constexpr ui::Id BUTTON_QUIT = 6;
constexpr ui::Id BUTTON_DELETE_JUNK = 7;
constexpr ui::Id BUTTON_RESCAN = 8;
constexpr ui::Id LABEL_JUNK = 9;
constexpr ui::Id LABEL_MP3 = 10;
constexpr ui::Id LABEL_OTHER = 11;
constexpr ui::Id LIST_JUNK = 12;
constexpr ui::Id LIST_MP3 = 13;
constexpr ui::Id LIST_OTHER = 14;

// Fields of the status bar.
constexpr int FIELD_VERSION_LABEL = 0;
constexpr int FIELD_VERSION = 1;
constexpr int FIELD_JUNK_COUNT = 2;
constexpr int FIELD_MP3_COUNT = 3;
constexpr int FIELD_OTHER_COUNT = 4;

} // namespace ids
