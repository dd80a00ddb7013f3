// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncSources.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "playlist/PlaylistFile.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// What a folder holds that counts as music: the MPEG audio the player plays,
// and the audio formats that are converted to MP3 on the way.
const char* const kMusicExtensions[] = {".mp3", ".mp2", ".mp1", ".mpa", ".flac", ".ogg", ".oga",
                                        ".opus", ".m4a", ".aac", ".wav", ".aif", ".aiff"};
// Our playlists; .m3u and .m3u8 are read by ParseM3u.
const char kOwnPlaylistExtension[] = ".pst";

// Characters 0x80..0x9F of Windows-1252; the five it leaves unassigned stand
// for the control characters of the same number. 0xA0..0xFF are Latin-1.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool HasExtension(const std::string& name, const char* extension)
{
    const std::string ext = extension;
    return name.size() > ext.size() && Lower(name.substr(name.size() - ext.size())) == ext;
}

void AppendUtf8(std::string& out, uint32_t ch)
{
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t b = static_cast<uint8_t>(s[i]);
        int more = 0;
        uint32_t ch = 0, min = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            more = 1, ch = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            more = 2, ch = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            more = 3, ch = b & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (i + more >= s.size())
            return false;
        for (int k = 1; k <= more; ++k) {
            const uint8_t c = static_cast<uint8_t>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            ch = (ch << 6) | (c & 0x3F);
        }
        if (ch < min || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string& s)
{
    std::string out;
    for (char c : s) {
        const uint8_t b = static_cast<uint8_t>(c);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : b);
    }
    return out;
}

bool IsAbsolute(const std::string& path)
{
    if (!path.empty() && (path[0] == '/' || path[0] == '\\'))
        return true;
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of(kSeparator == '\\' ? "\\/:" : "/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/' || folder.back() == kSeparator)
        return folder + name;
    return folder + kSeparator + name;
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The music files of a folder in name order, then (recursive) those of each
// subfolder in name order.
void ListFolder(const std::string& folder, bool recursive, std::vector<std::string>& out)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> folders;
    for (const std::string& name : names) {
        const std::string path = Join(folder, name);
        if (IsFolder(path))
            folders.push_back(path);
        else if (IsMusicFileName(name))
            out.push_back(path);
    }
    for (const std::string& sub : recursive ? folders : std::vector<std::string>())
        ListFolder(sub, true, out);
}

void ReadPlaylist(const std::string& playlist, SSyncSources& result)
{
    std::string bytes;
    if (!ReadFileBytes(playlist, bytes)) {
        result.problems.push_back("'" + playlist + "' cannot be read");
        return;
    }
    const bool m3u8 = HasExtension(playlist, ".m3u8");
    if (!m3u8 && !HasExtension(playlist, ".m3u")) {
        // Ours: PC paths in the PC's encoding, as the playlist window saves them.
        for (const std::string& path : ParsePlaylist(bytes))
            if (!path.empty())
                result.paths.push_back(path);
        return;
    }
    const std::string folder = FolderOf(playlist);
    for (const std::string& line : ParseM3u(bytes, m3u8)) {
        std::string path;
        if (!PcPathFromUtf8(line, path)) {
            result.problems.push_back("'" + line + "' in '" + playlist + "' has no name on this PC");
            continue;
        }
#ifndef _WIN32
        // A playlist made on Windows separates folders with backslashes.
        std::replace(path.begin(), path.end(), '\\', '/');
#endif
        result.paths.push_back(IsAbsolute(path) ? path : Join(folder, path));
    }
}

} // namespace

bool PcPathFromUtf8(const std::string& utf8, std::string& path)
{
#ifdef _WIN32
    if (utf8.empty()) {
        path.clear();
        return true;
    }
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    if (wide <= 0)
        return false;
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &w[0], wide);
    BOOL lost = FALSE;
    const int narrow = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0, nullptr, &lost);
    if (narrow <= 0 || lost)
        return false;
    path.assign(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, &path[0], narrow, nullptr, nullptr);
    return true;
#else
    path = utf8;
    return true;
#endif
}

std::vector<std::string> ParseM3u(const std::string& bytes, bool m3u8)
{
    std::string text = bytes;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    else if (!m3u8 && !IsUtf8(text))
        text = Windows1252ToUtf8(text);
    std::vector<std::string> entries;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        entries.push_back(line.substr(first));
    }
    return entries;
}

bool IsMusicFileName(const std::string& name)
{
    for (const char* ext : kMusicExtensions)
        if (HasExtension(name, ext))
            return true;
    return false;
}

bool IsPlaylistFileName(const std::string& name)
{
    return HasExtension(name, ".m3u") || HasExtension(name, ".m3u8") || HasExtension(name, kOwnPlaylistExtension);
}

std::string SourceFileProblem(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return "'" + path + "' is missing";
    if (S_ISDIR(st.st_mode))
        return "'" + path + "' is a folder, not a file";
    if (!S_ISREG(st.st_mode))
        return "'" + path + "' is a device, not a file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return "'" + path + "' cannot be read";
    const bool empty = std::fgetc(file) == EOF;
    std::fclose(file);
    if (empty)
        return "'" + path + "' is empty or cannot be read";
    return std::string();
}

SSyncSources ReadSyncSources(const std::vector<std::string>& sources, bool recursive)
{
    SSyncSources result;
    for (const std::string& source : sources) {
        if (IsFolder(source)) {
            ListFolder(source, recursive, result.paths);
        } else if (IsPlaylistFileName(source)) {
            const std::string problem = SourceFileProblem(source);
            if (!problem.empty())
                result.problems.push_back(problem);
            else
                ReadPlaylist(source, result);
        } else {
            result.paths.push_back(source);
        }
    }
    // Every entry is looked at, so that all the missing files are named at once.
    for (const std::string& path : result.paths) {
        const std::string problem = SourceFileProblem(path);
        if (!problem.empty())
            result.problems.push_back(problem);
    }
    return result;
}
