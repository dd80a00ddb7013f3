// SPDX-License-Identifier: GPL-3.0-or-later
// The list a sync makes the player hold, read from what the user names: a
// playlist of ours, an .m3u/.m3u8 playlist, a folder (its music files sorted
// by name, optionally with its subfolders), or single files. Paths are narrow
// byte strings of the PC's own encoding (the locale's on Linux, the ANSI code
// page on Windows), as the device link opens them.
#pragma once
#include <string>
#include <vector>

struct SSyncSources {
    std::vector<std::string> paths;    // PC files, in list order
    std::vector<std::string> problems; // one text per source or entry that cannot be used
};

// Every source in turn; problems collects everything wrong (every missing file
// of a playlist, not only the first), paths what was found.
SSyncSources ReadSyncSources(const std::vector<std::string>& sources, bool recursive);

// The entries of an .m3u/.m3u8 file's bytes as UTF-8 text, in order: comments
// and #EXTINF lines skipped, a byte-order mark and line ends removed. An .m3u
// that is not valid UTF-8 is read as Windows-1252 (what such files usually are);
// an .m3u8 is UTF-8 by definition.
std::vector<std::string> ParseM3u(const std::string& bytes, bool m3u8);

// UTF-8 text (a playlist line) as a PC path: unchanged on Linux, whose file
// names are the bytes; in the ANSI code page on Windows. False when the code
// page has no form for a character of it.
bool PcPathFromUtf8(const std::string& utf8, std::string& path);

// Whether a file name has one of the extensions a folder's music files have,
// and whether it names a playlist (.m3u, .m3u8, or ours).
bool IsMusicFileName(const std::string& name);
bool IsPlaylistFileName(const std::string& name);

// Why a path cannot be sent ("missing", "a folder", ...), or empty when it is
// a readable file.
std::string SourceFileProblem(const std::string& path);
