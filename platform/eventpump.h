#pragma once

// Handles every pending event of the GUI thread, each by its handler, then
// returns.
void handlePendingEvents();
