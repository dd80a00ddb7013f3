// Small text helpers of the console companion.
#pragma once
#include <string>

// A message written for a message box ("Heading!\r\n\r\ntext") as console
// lines: every \r\n becomes \n, and trailing line ends are dropped.
std::string ConsoleText(const std::string& text);

// A player file name for JSON: names written on Linux are UTF-8 and stay as
// they are; other bytes (names written by Windows in its ANSI code page) are
// taken as Latin-1, so that the output is always valid UTF-8.
std::string NameToUtf8(const std::string& name);
