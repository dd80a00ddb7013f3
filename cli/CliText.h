// SPDX-License-Identifier: GPL-3.0-or-later
// Small text helpers of the console companion.
#pragma once
#include <string>

// A message written for a message box ("Heading!\r\n\r\ntext") as console
// lines: every \r\n becomes \n, and trailing line ends are dropped.
std::string ConsoleText(const std::string& text);

// A PC text (a path) for JSON: UTF-8 stays as it is; other bytes are taken as
// Latin-1, so that the output is always valid UTF-8. Player names have their
// own conversion (PlayerNameToUtf8).
std::string PcTextToUtf8(const std::string& text);
