// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/PlaylistFile.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

const char* const kPlaylistHeader = "[Playlist]";

namespace {

const char kLineEnd[] = "\r\n";

std::string TrimRight(std::string s)
{
    size_t end = s.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    s.erase(end);
    return s;
}

// The row text of one line: cut at a NUL (the text is a C string from here on),
// at most kPlaylistPathChars characters, no trailing white space.
std::string RowText(const std::string& line)
{
    std::string text = line.substr(0, line.find('\0'));
    if (text.size() > kPlaylistPathChars)
        text.resize(kPlaylistPathChars);
    return TrimRight(text);
}

std::string Message(const char* format, const std::string& path)
{
    // The path is at most a few hundred characters; the text is built in full
    // whatever its length.
    const int n = std::snprintf(nullptr, 0, format, path.c_str());
    if (n <= 0)
        return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, path.c_str());
    text.resize(static_cast<size_t>(n));
    return text;
}

#ifdef _WIN32
// A read-only file is not ours to replace, also where the process could
// (Wine run by root lets the replace through).
bool IsReadOnly(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
#else
bool IsReadOnly(const char* /*path*/) { return false; } // the permission check of the open decides
#endif

// A temporary file beside the target that did not exist before; -1 when none
// can be made.
int CreateTemporaryBeside(CPcFiles& files, const std::string& path, std::string& tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".~" + std::to_string(attempt);
        const int fd = files.Open(tempPath, CPcFiles::EOpen::New);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

}  // namespace

std::vector<std::string> ParsePlaylist(const std::string& bytes)
{
    std::vector<std::string> texts;
    // Lines as a text-mode read sees them: CR LF is one character, LF.
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }
    bool first = true;
    size_t pos = 0;
    while (pos < text.size()) {
        // One piece: up to and including the next LF, at most kPlaylistPieceChars.
        size_t length = 0;
        while (length < kPlaylistPieceChars && pos + length < text.size()) {
            ++length;
            if (text[pos + length - 1] == '\n')
                break;
        }
        std::string piece = text.substr(pos, length);
        pos += length;
        if (first) {
            first = false;   // the header line, whatever it holds
            continue;
        }
        if (!piece.empty() && piece.back() == '\n') {
            piece.pop_back();
            if (!piece.empty() && piece.back() == '\r')
                piece.pop_back();
        }
        if (piece.empty())
            continue;
        texts.push_back(RowText(piece));
    }
    return texts;
}

std::string FormatPlaylist(const std::vector<std::string>& texts)
{
    std::string bytes = std::string(kPlaylistHeader) + kLineEnd;
    for (const std::string& t : texts) {
        if (!t.empty())
            bytes += t + kLineEnd;
    }
    return bytes;
}

std::unique_ptr<CFileEntry> MakePcFileRow(int32_t number, const std::string& path)
{
    auto row = std::make_unique<CFileEntry>();
    const std::string name = RowText(path);
    row->SetNumber(number);
    row->SetNameText(name.c_str());
    row->SetSizeText(std::to_string(FileSize(name.c_str())).c_str());
    return row;
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    bytes.clear();
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

EPlaylistWrite WritePlaylistFile(const std::string& path, const std::string& bytes, CPcFiles& files)
{
    if (path.empty())
        return EPlaylistWrite::OpenFailed;
    // An existing target that cannot be written now would refuse the replace at
    // the end: say so as the open failure it is, before writing anything.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        std::FILE* probe = IsReadOnly(path.c_str()) ? nullptr : std::fopen(path.c_str(), "r+b");
        if (probe == nullptr)
            return EPlaylistWrite::OpenFailed;
        std::fclose(probe);
    }
    std::string tempPath;
    const int fd = CreateTemporaryBeside(files, path, tempPath);
    if (fd < 0)
        return EPlaylistWrite::OpenFailed;
    bool ok = files.Write(fd, bytes.data(), bytes.size());
    // On the disk before it takes the target's name: a crash then leaves the
    // old file or the whole new one.
    ok = files.Flush(fd) && ok;
    ok = files.Close(fd) && ok;
    if (ok)
        ok = files.Replace(tempPath, path);
    if (!ok) {
        files.Remove(tempPath);
        return EPlaylistWrite::WriteFailed;
    }
    return EPlaylistWrite::Ok;
}

std::string PlaylistReadErrorText(const std::string& path)
{
    return Message("unable to open '%s' for read\n", path);
}

std::string PlaylistOpenErrorText(const std::string& path)
{
    return Message("unable to open '%s' for write\n", path);
}

std::string PlaylistWriteErrorText(const std::string& path)
{
    return Message("unable to write '%s'\n", path);
}
