// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C for the console companion: the first press only asks the running
// operation to stop, which it does between two 32 KB blocks (the progress
// callback answers "stop"), so that the port is released and the player's
// directory stays valid. SIGTERM and SIGHUP on Linux and Ctrl+Break on Windows
// are treated the same way.
#pragma once

// Installs the handlers; harmless when called again.
void InstallInterruptHandlers();
bool InterruptRequested();
// What the handlers do; tests call it to interrupt at a chosen block.
void RequestInterrupt();
void ClearInterrupt();
