#pragma once

// Keeps the secrets of this process to itself: a crash writes no core file, and other processes of the same user
// may not attach to it or read its memory. Called first thing by each program, before any secret exists; a
// failure is logged and the program goes on.
void HardenProcess();
