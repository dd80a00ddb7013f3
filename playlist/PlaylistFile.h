// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist file: a header line and then one PC path per line, in the
// platform's narrow character set. Files are written with CR LF line ends and
// read with either. This is the platform-free half; CPlaylistDlg puts the rows
// into its list and shows the messages.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playlist/FileEntry.h"
#include "playlist/PcFiles.h"

// The first line of every file we write. Reading skips the first line whatever
// it holds.
extern const char* const kPlaylistHeader;   // "[Playlist]"

// A line is read in pieces of at most this many characters, its line end
// included; each piece counts as a line of its own.
constexpr size_t kPlaylistPieceChars = 259;
// The longest path a playlist row keeps. Paths are kept whole up to this length
// so that a saved playlist names the files it was made of.
constexpr size_t kPlaylistPathChars = 259;

// The row texts a playlist file's bytes give, in order. CR LF counts as one
// line end; a line is split into pieces of kPlaylistPieceChars characters; the
// first piece (the header) is skipped; a piece that is empty once its line end
// is gone is skipped; each other piece gives one text: cut at a NUL byte, at
// most kPlaylistPathChars characters, trailing white space removed (a line of
// blanks gives an empty text).
std::vector<std::string> ParsePlaylist(const std::string& bytes);

// The bytes of a playlist file holding these row texts: the header line, then
// every text that is not empty, each line ending with CR LF.
std::string FormatPlaylist(const std::vector<std::string>& texts);

// A row for a PC file: its number, the path (cut to kPlaylistPathChars, trailing
// white space removed) as the name text and the file's current size as the size
// text (0 when it cannot be opened).
std::unique_ptr<CFileEntry> MakePcFileRow(int32_t number, const std::string& path);

// Reads a whole file as bytes; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

enum class EPlaylistWrite {
    Ok,
    OpenFailed,  // the target (or the temporary file beside it) cannot be opened for writing
    WriteFailed, // a write, the flush, the close or the final replace failed
};

// Stores bytes at path without ever leaving a half-written file there: the
// bytes go to a new temporary file in the same folder, which replaces the
// target only once every write, the flush to the disk and the close have
// succeeded. On failure the old file is untouched and the temporary file is
// removed. An existing target that cannot be opened for writing (read-only,
// locked by another program) is refused before anything is written.
EPlaylistWrite WritePlaylistFile(const std::string& path, const std::string& bytes, CPcFiles& files = SystemPcFiles());

// The messages shown when a playlist file cannot be read or written.
std::string PlaylistReadErrorText(const std::string& path);    // "unable to open '%s' for read\n"
std::string PlaylistOpenErrorText(const std::string& path);    // "unable to open '%s' for write\n"
std::string PlaylistWriteErrorText(const std::string& path);   // "unable to write '%s'\n"
