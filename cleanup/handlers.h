// What app/ calls of the folder cleanup: the state the program starts with, and the handlers of the
// three user actions on the music folder. The rest of the cleanup is in cleanup/cleanup.h.
#pragma once

namespace cleanup {

// The values the program starts with: folder "c:\", all counts 0.
void reset_state();

// Start button: asks for the music folder, shows the results view and scans the folder.
void choose_folder_and_show_results();
// "Neu einlesen": lists the chosen folder again into the existing view.
void rescan();
// "Müll löschen": after a Yes, deletes the files the junk list names, in list order.
void remove_junk();

} // namespace cleanup
