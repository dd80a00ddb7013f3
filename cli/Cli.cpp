// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Cli.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <sstream>

#include "QuavelVersion.h"
#include "cli/CliCommands.h"
#include "device/SpeedChoice.h"

namespace {

const char kSpeedNames[kSpeedRows][7] = {"SLOW", "MEDIUM", "FAST"};

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A speed name, or a count of 1 .. 1000000.
bool ParseDelay(const std::string& item, int column, int& value)
{
    const std::string word = Upper(item);
    for (int row = 0; row < kSpeedRows; ++row)
        if (word == kSpeedNames[row]) {
            value = SpeedValue(column, row);
            return true;
        }
    if (item.empty() || !std::isdigit(static_cast<unsigned char>(item[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(item.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < 1 || n > 1000000)
        return false;
    value = static_cast<int>(n);
    return true;
}

// A port base: decimal or 0x-hexadecimal, with room for its three registers.
bool ParsePortBase(const std::string& text, int& base)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || n <= 0 || n > 0xFFFF - 2 || text[0] == '-' || text[0] == '+')
        return false;
    base = static_cast<int>(n);
    return true;
}

// The conversion options that put and sync share; what --fit fits is told per command.
void AddConversionOptions(CLI::App* command, SCliOptions& o, const char* fitText)
{
    command->add_option("--bitrate", o.bitrate, "kbit/s of files converted to MP3 (default 128; with --fit the highest)")
        ->check(CLI::IsMember({32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}));
    command->add_flag("--fit", o.fit, fitText);
    command->add_flag("--reencode", o.reencode, "convert MP3 files above the bitrate too");
    command->add_flag("--strip-tags", o.stripTags, "send MP3 files without their ID3 and APE tags");
    command->add_flag("--no-convert", o.noConvert, "send every file as it is")->excludes("--fit")->excludes("--reencode");
}

}  // namespace

bool ParseSpeed(const std::string& text, int delays[3], std::string& error)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        items.push_back(item);
    if (items.size() == 1)
        items.assign(3, items[0]);
    int parsed[3];
    bool ok = items.size() == 3;
    for (int c = 0; ok && c < 3; ++c)
        ok = ParseDelay(items[static_cast<size_t>(c)], c, parsed[c]);
    if (!ok) {
        error = "--speed must be SLOW, MEDIUM or FAST, or three of them (or counts) separated by commas: " + text;
        return false;
    }
    for (int c = 0; c < 3; ++c)
        delays[c] = parsed[c];
    return true;
}

int RunCli(int argc, const char* const* argv, SCliIo& io)
{
    SCliOptions o;
    std::string speed = "MEDIUM";
    std::string port;

    CLI::App app("Reads and changes the files of the portable MP3 player on the printer port.", "quavel-cli");
    app.require_subcommand(1);
    app.fallthrough();
    app.footer("Exit codes: 0 done, 1 the player or a file failed, 2 usage.");
    app.set_version_flag("--version", std::string("quavel-cli ") + kQuavelVersion, "print the version and end");
    app.add_flag("--card", o.card, "use the player's memory card instead of its internal memory");
    app.add_option("--speed", speed,
                   "delay counts of the port protocol: SLOW, MEDIUM (default) or FAST, or three of them "
                   "for wake-up, strobe and read, e.g. SLOW,MEDIUM,FAST");
    CLI::Option* virtualPlayer = app.add_option("--virtual-player", o.backend.virtualDir,
                                                "use a virtual player whose memory lives in image files in DIR")
                                     ->type_name("DIR");
    app.add_option("--player-size", o.backend.playerSize,
                   "internal memory of a new virtual player in MB: 32 (default) or 64")
        ->check(CLI::IsMember({32, 64}))
        ->needs(virtualPlayer);
    app.add_option("--card-size", o.backend.cardSize,
                   "give a virtual player without card.img a memory card of this many MB")
        ->check(CLI::IsMember({2, 4, 8, 16, 32}))
        ->needs(virtualPlayer);
#ifdef _WIN32
    CLI::Option* portOption =
        app.add_option("--port", port, "printer port base, e.g. 0x378 (default: 0x378, then 0x278)")
            ->type_name("BASE");
#else
    CLI::Option* parport = app.add_option("--parport", o.backend.parport,
                                          "the printer port through ppdev (default /dev/parport0)")
                               ->type_name("DEVICE");
    CLI::Option* portOption =
        app.add_option("--port", port, "the printer port at this base with ioperm (root only), e.g. 0x378")
            ->type_name("BASE");
    parport->excludes(virtualPlayer)->excludes(portOption);
#endif
    portOption->excludes(virtualPlayer);

    CLI::App* list = app.add_subcommand("list", "list the player's files");
    list->add_flag("--json", o.json, "print JSON");
    list->add_option("--image", o.image, "list a dump image file instead of the player (no player needed)")
        ->type_name("FILE");
    CLI::App* info = app.add_subcommand("info", "memory, chip, port and speed");
    info->add_flag("--json", o.json, "print JSON");
    CLI::App* put = app.add_subcommand("put", "download PC files to the player");
    put->add_option("FILE", o.paths, "PC files")->required();
    put->add_flag("--verify", o.verify,
                  "read each file back and compare it with the PC file; a difference sends it once more, a "
                  "second one fails");
    AddConversionOptions(put, o, "convert at the highest bitrate at which all files fit into the free memory");
    put->add_flag("--dry-run", o.dryRun, "show what would be sent, and at what size, without changing anything");
    CLI::Option* replace = put->add_flag(
        "--replace", o.replace, "a file of that name on the player: send the new one, then delete the old one");
    put->add_flag("--keep-both", o.keepBoth, "a file of that name on the player: keep it beside the new one")
        ->excludes(replace);
    CLI::App* get = app.add_subcommand("get", "upload player files to the PC");
    get->add_option("NAME", o.paths, "names on the player, or #N for file number N")->required();
    get->add_option("--to", o.to, "folder for the files (default: the current one)")->type_name("DIR");
    CLI::App* rm = app.add_subcommand("rm", "delete files on the player");
    rm->add_option("NAME", o.paths, "names on the player, or #N for file number N")->required();
    CLI::App* move = app.add_subcommand("move", "move a file to another position of the player's list");
    move->add_option("NAME", o.name, "name on the player, or #N for file number N")->required();
    move->add_option("POSITION", o.position, "new position, counted from 1")->required()->check(
        CLI::PositiveNumber);
    CLI::App* format = app.add_subcommand("format", "initialize the player's memory (all files are lost)");
    format->add_flag("--check", o.check, "test every block first and mark the bad ones");
    CLI::App* dump = app.add_subcommand("dump", "copy every block of the memory into image files in DIR");
    dump->add_option("DIR", o.dumpDir, "folder for the image file")->required();
    CLI::App* verify = app.add_subcommand(
        "verify", "compare player files with the PC files of the same name (exit 1 on a difference)");
    verify->add_option("NAME", o.paths, "names on the player, or #N for file number N (default: every file)");
    verify->add_option("--in", o.in, "folder of the PC files (default: the current one)")->type_name("DIR");

    CLI::App* check = app.add_subcommand("check", "check the directory of the player's memory (exit 1 on faults)");
    check->add_flag("--json", o.json, "print JSON");
    CLI::App* repair = app.add_subcommand(
        "repair", "keep the sound files, drop the damaged ones and free their blocks (writes only the directory)");
    repair->add_flag("--dry-run", o.dryRun, "print what a repair would do, change nothing");
    repair->add_option("--salvage", o.salvage, "first copy what can be read of each dropped file into DIR")
        ->type_name("DIR");
    CLI::App* extract = app.add_subcommand("extract", "copy files out of a dump image (no player needed)");
    extract->add_option("FILE", o.image, "the image file")->required();
    extract->add_option("NAME", o.paths, "names in the image (default: every sound file)");
    extract->add_option("--to", o.to, "folder for the files (default: the current one)")->type_name("DIR");
    CLI::App* restore = app.add_subcommand("restore", "download the files of a dump image to the player, in order");
    restore->add_option("FILE", o.image, "the image file")->required();
    CLI::App* sync = app.add_subcommand(
        "sync", "make the player hold exactly a list (playlist, .m3u/.m3u8, folder or files), in its order");
    sync->add_option("SOURCE", o.paths, "playlist files, folders or music files")->required();
    sync->add_flag("--dry-run", o.dryRun, "print the plan and change nothing");
    sync->add_flag("--json", o.json, "print the plan and the outcome as JSON");
    sync->add_flag("--verify", o.verify,
                   "also compare the content of files already there, and read each file sent back");
    sync->add_flag("--recursive", o.recursive, "take the music files of subfolders too");
    AddConversionOptions(sync, o, "convert the files to send at the highest bitrate at which they fit");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, io.out, io.err);
        return code == 0 ? kExitDone : kExitUsage;
    }

    for (CLI::App* sub : {list, info, put, get, rm, move, format, dump, verify, check, repair, extract, restore, sync})
        if (sub->parsed())
            o.command = sub->get_name();
    std::string error;
    if (!ParseSpeed(speed, o.delays, error)) {
        io.err << "quavel-cli: " << error << "\nRun with --help for more information.\n";
        return kExitUsage;
    }
    if (!port.empty() && !ParsePortBase(port, o.backend.port)) {
        io.err << "quavel-cli: --port needs a port base such as 0x378 or 888: " << port
               << "\nRun with --help for more information.\n";
        return kExitUsage;
    }
    o.backend.ppdevCalls = io.ppdevCalls;
    o.backend.playerFaults = io.playerFaults;

    // The device code reports through flags; this catches what the libraries
    // may throw (out of memory, a stream), so that no run ends in an abort.
    try {
        CCliCommands commands(o, io);
        return commands.Run();
    } catch (const std::exception& e) {
        io.err << "quavel-cli: " << e.what() << '\n';
        return kExitFailed;
    }
}
