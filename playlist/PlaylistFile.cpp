#include "playlist/PlaylistFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
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

// Plain descriptor I/O: exclusive creation of the temporary file, and every
// write, the flush to the disk and the close checked.
#ifdef _WIN32
int OpenNew(const char* path) { return ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE); }
int WriteSome(int fd, const char* data, size_t n) { return ::_write(fd, data, static_cast<unsigned>(n)); }
int FlushToDisk(int fd) { return ::_commit(fd); }
int CloseFile(int fd) { return ::_close(fd); }
int RemoveFile(const char* path) { return ::_unlink(path); }
// A read-only file is not ours to replace, also where the process could
// (Wine run by root lets the replace through).
bool IsReadOnly(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
bool ReplaceFile(const char* from, const char* to)
{
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
#else
int OpenNew(const char* path) { return ::open(path, O_WRONLY | O_CREAT | O_EXCL, 0666); }
int WriteSome(int fd, const char* data, size_t n) { return static_cast<int>(::write(fd, data, n)); }
int FlushToDisk(int fd) { return ::fsync(fd); }
int CloseFile(int fd) { return ::close(fd); }
int RemoveFile(const char* path) { return ::unlink(path); }
bool IsReadOnly(const char* /*path*/) { return false; }   // the permission check of the open decides
bool ReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
#endif

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t chunk = bytes.size() - done < 65536 ? bytes.size() - done : 65536;
        const int n = WriteSome(fd, bytes.data() + done, chunk);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A temporary file beside the target that did not exist before; -1 when none
// can be made.
int CreateTemporaryBeside(const std::string& path, std::string& tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".~" + std::to_string(attempt);
        const int fd = OpenNew(tempPath.c_str());
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

EPlaylistWrite WritePlaylistFile(const std::string& path, const std::string& bytes)
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
    const int fd = CreateTemporaryBeside(path, tempPath);
    if (fd < 0)
        return EPlaylistWrite::OpenFailed;
    bool ok = WriteAll(fd, bytes);
    ok = FlushToDisk(fd) == 0 && ok;
    ok = CloseFile(fd) == 0 && ok;
    if (ok)
        ok = ReplaceFile(tempPath.c_str(), path.c_str());
    if (!ok) {
        RemoveFile(tempPath.c_str());
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
