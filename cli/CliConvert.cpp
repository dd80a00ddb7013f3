// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliConvert.h"

#include <algorithm>
#include <cstdio>

#include "audio/Conversion.h"
#include "audio/Id3Tags.h"
#include "audio/Mp3Fit.h"
#include "cli/CliFiles.h"
#include "cli/CliProgress.h"
#include "device/RioDevice.h"

namespace {

std::string Duration(double seconds)
{
    char text[32];
    const long s = static_cast<long>(seconds + 0.5);
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

struct CCliConvert::SPlan {
    std::vector<SAudioInfo> info;
    std::vector<ESendAs> send;
    std::vector<int64_t> bytes;   // on the player
    SConvertOptions options;
    int freeBlocks = 0;
    std::unique_ptr<CTempMp3> temp;
};

CCliConvert::CCliConvert(const SCliOptions& options, std::ostream& out)
    : m_options(options), m_out(out), m_plan(new SPlan)
{
}

CCliConvert::~CCliConvert() = default;

bool CCliConvert::Plan(const CRioDevice& device, std::string& error)
{
    SPlan& p = *m_plan;
    p.options.convert = !m_options.noConvert;
    p.options.kbps = m_options.bitrate;
    p.options.reencode = m_options.reencode;
    p.options.stripTags = m_options.stripTags;
    std::vector<SFitFile> fit;
    for (const std::string& path : m_options.paths) {
        SAudioInfo info;
        if (!ProbeAudio(path, p.options, info, error)) {
            error = "cannot convert '" + std::string(PcBaseName(path)) + "': " + error;
            return false;
        }
        const ESendAs send = PlanSend(info, p.options);
        SFitFile f;
        f.converts = send == ESendAs::Converted;
        f.samples = info.samples;
        f.rate = info.rate;
        f.channels = info.channels;
        if (send == ESendAs::WithoutTags) {
            const STagSpan tags = FindTags(path);
            f.bytes = tags.end - tags.start;
        } else {
            f.bytes = FileBytes(path);
        }
        p.info.push_back(info);
        p.send.push_back(send);
        fit.push_back(f);
    }
    // The first file of an empty directory also takes the directory's block.
    const DirectoryHeader h = device.GetHeader();
    p.freeBlocks = h.free - (h.count == 0 && device.GetBlockState(0) != kRioBlockUsed ? 1 : 0);
    if (m_options.fit) {
        const int kbps = FitBitrate(fit, m_options.bitrate, p.freeBlocks, kRioMaxEntries - device.EntryCount());
        if (kbps == 0) {
            error = "the files do not fit even at 32 kbit/s: they need " + std::to_string(BatchBlocks(fit, 32)) +
                    " blocks of 32 KB, " + std::to_string(p.freeBlocks) + " are free";
            return false;
        }
        p.options.kbps = kbps;
        // A file that was to be re-encoded because it is above the chosen
        // bitrate is judged again at the fitted one.
        for (size_t i = 0; i < p.send.size(); ++i)
            p.send[i] = PlanSend(p.info[i], p.options);
    }
    for (size_t i = 0; i < fit.size(); ++i)
        p.bytes.push_back(p.send[i] == ESendAs::Converted ? Mp3Bytes(fit[i].samples, fit[i].rate, fit[i].channels, p.options.kbps)
                                                          : fit[i].bytes);
    return true;
}

std::string CCliConvert::PlayerName(size_t i) const
{
    const std::string base = PcBaseName(m_options.paths[i]);
    return m_plan->send[i] == ESendAs::Converted ? PlayerMp3Name(base) : base;
}

void CCliConvert::Show(const std::vector<std::string>& shownNames) const
{
    const SPlan& p = *m_plan;
    int64_t blocks = 0;
    for (size_t i = 0; i < p.send.size(); ++i) {
        const SAudioInfo& a = p.info[i];
        const int fileBlocks = PlayerBlocks(p.bytes[i]);
        blocks += fileBlocks;
        m_out << "'" << PcBaseName(m_options.paths[i]) << "': ";
        if (a.kind == EAudioKind::NotAudio)
            m_out << "not audio";
        else
            m_out << a.codec << (a.kind == EAudioKind::Mpeg ? " " + std::to_string(a.kbps) + " kbit/s" : "") << ", "
                  << Duration(a.Seconds());
        const int64_t now = FileBytes(m_options.paths[i]);
        m_out << ", " << now << " bytes -> '" << shownNames[i] << "' ";
        switch (p.send[i]) {
        case ESendAs::Converted:
            m_out << "converted to " << p.options.kbps << " kbit/s MP3";
            break;
        case ESendAs::WithoutTags:
            m_out << "without tags";
            break;
        case ESendAs::AsIs:
            m_out << "as it is";
            break;
        }
        m_out << ", " << p.bytes[i] << " bytes, " << fileBlocks << (fileBlocks == 1 ? " block\n" : " blocks\n");
    }
    m_out << blocks << " blocks of 32 KB needed, " << p.freeBlocks << " free";
    if (m_options.fit)
        m_out << "; " << p.options.kbps << " kbit/s is the highest bitrate at which all fit";
    m_out << '\n';
}

bool CCliConvert::Prepare(size_t i, CCliProgress& progress, std::string& sendPath, std::string& error)
{
    SPlan& p = *m_plan;
    const std::string& path = m_options.paths[i];
    p.temp.reset();
    sendPath = path;
    if (p.send[i] == ESendAs::AsIs)
        return true;
    p.temp.reset(new CTempMp3);
    sendPath = p.temp->Path();
    const std::string base = PcBaseName(path);
    if (p.send[i] == ESendAs::WithoutTags) {
        if (CopyWithoutTags(path, sendPath, error))
            return true;
        error = "cannot copy '" + base + "' without its tags: " + error;
        return false;
    }
    m_out << "converting '" << base << "' to " << p.options.kbps << " kbit/s MP3\n";
    // Drawn in the player's blocks, as the download that follows.
    const int blocks = std::max(1, PlayerBlocks(p.bytes[i]));
    progress.Begin("convert " + base);
    const EConvertResult r = ConvertToMp3(path, sendPath, p.options.kbps, [&](int64_t done, int64_t total) {
        return CCliProgress::Callback()(static_cast<int>(done * blocks / total), blocks) != 0;
    }, error);
    progress.End(r == EConvertResult::Done);
    if (r == EConvertResult::Stopped)
        error = "operation interrupted";
    else if (r == EConvertResult::Failed)
        error = "cannot convert '" + base + "': " + error;
    return r == EConvertResult::Done;
}
