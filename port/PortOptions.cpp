// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/PortOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {
struct SCardSize {
    int code;
    int megabytes;
};

// The memory-card identification codes the device link knows, with their sizes.
const SCardSize kCards[] = {
    {0x64, 2}, {0xEA, 2}, {0xE3, 4}, {0xE5, 4}, {0xE6, 8}, {0x73, 16}, {0x75, 32},
};

// A whole decimal or 0x-prefixed hexadecimal number; false for anything else.
bool ParseNumber(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.c_str() + (hex ? 2 : 0);
    if (*begin == '\0' || *begin == '-' || *begin == '+' || *begin == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == begin || *end != '\0' || parsed > 0xFFFF)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// "name=value": true when word starts with "name=", value is the rest.
bool Take(const std::string& word, const char* name, std::string& value)
{
    std::string prefix = std::string(name) + "=";
    if (word.compare(0, prefix.size(), prefix) != 0)
        return false;
    value = word.substr(prefix.size());
    return true;
}
}  // namespace

int CardCodeForSize(int megabytes)
{
    // The first code of each size: the one cards of that size are usually made with.
    for (const SCardSize& card : kCards)
        if (card.megabytes == megabytes)
            return card.code;
    return 0;
}

bool ParsePortOptions(const std::vector<std::string>& words, SPortOptions& options, std::string& error)
{
    SPortOptions parsed;
    bool playerDetails = false;
    for (const std::string& word : words) {
        std::string value;
        if (word == "--help" || word == "-h" || word == "/?") {
            parsed.help = true;
        } else if (Take(word, "--virtual-player", value)) {
            if (value.empty()) {
                error = "--virtual-player needs the folder of the player's image files";
                return false;
            }
            parsed.virtualPlayerDir = value;
        } else if (Take(word, "--player-port", value)) {
            int port = 0;
            if (!ParseNumber(value, port) || (port != 888 && port != 632)) {
                error = "--player-port must be 888 (0x378) or 632 (0x278): " + value;
                return false;
            }
            parsed.playerPort = port;
            playerDetails = true;
        } else if (Take(word, "--card", value)) {
            int number = 0;
            if (!ParseNumber(value, number)) {
                error = "--card needs a device code (0x64, 0xEA, 0xE3, 0xE5, 0xE6, 0x73, 0x75) "
                        "or a size in MB (2, 4, 8, 16, 32): " + value;
                return false;
            }
            bool isCode = false;
            for (const SCardSize& card : kCards)
                isCode = isCode || card.code == number;
            // Sizes and codes do not overlap: the smallest code is 0x64 = 100.
            int code = isCode ? number : CardCodeForSize(number);
            if (code == 0) {
                error = "--card needs a device code (0x64, 0xEA, 0xE3, 0xE5, 0xE6, 0x73, 0x75) "
                        "or a size in MB (2, 4, 8, 16, 32): " + value;
                return false;
            }
            parsed.cardDeviceCode = code;
            playerDetails = true;
        } else if (Take(word, "--player-size", value)) {
            if (value != "32" && value != "64") {
                error = "--player-size must be 32 or 64 (MB): " + value;
                return false;
            }
            parsed.largePlayer = value == "64";
            playerDetails = true;
        } else if (word == "--real-time") {
            parsed.realTime = true;
            playerDetails = true;
        } else if (word == "--unplugged") {
            parsed.unplugged = true;
            playerDetails = true;
        } else {
            error = "unknown option: " + word;
            return false;
        }
    }
    if (playerDetails && parsed.virtualPlayerDir.empty() && !parsed.help) {
        error = "--player-port, --card, --player-size, --real-time and --unplugged describe a virtual player: "
                "give --virtual-player=DIR too";
        return false;
    }
    options = parsed;
    return true;
}

std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> words;
    if (commandLine == nullptr)
        return words;
    const char* p = commandLine;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == '\0')
            break;
        std::string word;
        bool quoted = false;
        while (*p != '\0' && (quoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '\\') {
                size_t backslashes = 0;
                while (*p == '\\') {
                    ++backslashes;
                    ++p;
                }
                if (*p == '"') {
                    word.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        word += '"';
                        ++p;
                    }
                } else {
                    word.append(backslashes, '\\');
                }
            } else if (*p == '"') {
                // Inside quotes, a doubled quote stands for one literal quote.
                if (quoted && p[1] == '"') {
                    word += '"';
                    p += 2;
                } else {
                    quoted = !quoted;
                    ++p;
                }
            } else {
                word += *p++;
            }
        }
        words.push_back(word);
    }
    return words;
}

const char* PortOptionsHelp()
{
    return "Usage: Quavel.exe [options]\r\n"
           "\r\n"
           "Without options Quavel looks for the player on the PC's printer port.\r\n"
           "\r\n"
           "  --virtual-player=DIR   attach a virtual player whose memory lives in image\r\n"
           "                         files in the folder DIR (created when missing; a new\r\n"
           "                         image is an empty, formatted player)\r\n"
           "  --player-port=PORT     the printer port the virtual player sits on:\r\n"
           "                         888 (0x378, the default) or 632 (0x278)\r\n"
           "  --card=CARD            give the virtual player a memory card: a device code\r\n"
           "                         (0x64, 0xEA, 0xE3, 0xE5, 0xE6, 0x73, 0x75) or a size\r\n"
           "                         in MB (2, 4, 8, 16, 32); without it there is no card\r\n"
           "  --player-size=MB       internal memory of the virtual player: 32 (default) or 64\r\n"
           "  --real-time            run the virtual player at the speed of a real one\r\n"
           "                         instead of as fast as the PC can\r\n"
           "  --unplugged            start with the virtual player unplugged; it is plugged\r\n"
           "                         in when a file named plugged-in appears in DIR\r\n"
           "  --help                 show this text and end\r\n";
}
