// Placeholder until the console update is written: it prints nothing.
#include "update/console_update.h"

void RunConsoleUpdate(const std::wstring&) {}
