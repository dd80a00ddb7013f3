// SPDX-License-Identifier: GPL-3.0-or-later
// Music of any common format on its way to the player. The window, quavel-cli
// and sync use these calls and nothing of the libraries behind them:
//
//   SAudioInfo info;                       // what the file is
//   if (!ProbeAudio(path, info, error)) ... // refused: error says why
//   switch (PlanSend(info, options)) { ... }
//   CTempMp3 temp;                          // removed in every outcome
//   ConvertToMp3(path, temp.Path(), kbps, progress, error);
//   ... send temp.Path() under PlayerMp3Name(name) ...
//
// The size a conversion will have is known beforehand: audio/Mp3Fit.h.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "audio/AudioSource.h"

struct SConvertOptions {
    bool convert = true;     // false: every file goes as it is
    int kbps = 128;          // the bitrate of converted files
    bool reencode = false;   // MPEG audio above kbps is converted too
    bool stripTags = false;  // MPEG audio goes without its ID3/APE tags
};

enum class ESendAs {
    AsIs,         // the file itself
    WithoutTags,  // the MPEG audio frames of the file, byte for byte
    Converted,    // a new MP3 file at options.kbps
};

// Identifies path. False, with the reason, for a file that cannot be sent
// as the options ask (see CAudioSource::Open); never fails with convert off.
bool ProbeAudio(const std::string& path, const SConvertOptions& options, SAudioInfo& info, std::string& error);
ESendAs PlanSend(const SAudioInfo& info, const SConvertOptions& options);
// The name of a converted file: the stem of name with ".mp3".
std::string PlayerMp3Name(const std::string& name);

// Progress in samples of the output; answer false to stop the conversion.
typedef std::function<bool(int64_t done, int64_t total)> ConvertProgress;
enum class EConvertResult { Done, Failed, Stopped };

// Decodes path and writes it as MPEG-1 Layer III at kbps into mp3Path: the
// source's length exactly (the size Mp3Bytes predicts), a source that ends
// early by more than half a second is refused as truncated.
EConvertResult ConvertToMp3(const std::string& path, const std::string& mp3Path, int kbps,
                            const ConvertProgress& progress, std::string& error);

// A new name for a temporary file in the system's temporary folder; the file
// of that name is removed when the object goes, whatever happened.
class CTempMp3 {
public:
    CTempMp3();
    ~CTempMp3();
    CTempMp3(const CTempMp3&) = delete;
    CTempMp3& operator=(const CTempMp3&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
