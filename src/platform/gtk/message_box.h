#pragma once

#include <string>

namespace keyweave::gtk {

// A modal message box kept above other windows, owned by the program's main window: the text
// beside a warning icon when serious, else an information icon, and an OK button. Returns when
// the user has dismissed it; main-thread calls keep running meanwhile, in the dialog's loop.
void ShowMessageBox(const std::string& title, const std::string& text, bool serious);

} // namespace keyweave::gtk
