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

} // namespace

struct CCliConvert::SPlan {
    std::vector<SAudioInfo> info;
    std::vector<ESendAs> send; // at options.kbps
    std::vector<SFitFile> fit; // as sent at --bitrate
    std::vector<int64_t> fileBytes, strippedBytes;
    SConvertOptions options;
    int freeBlocks = 0;
    std::unique_ptr<CTempMp3> temp;
};

CCliConvert::CCliConvert(const SCliOptions& options, const std::vector<std::string>& paths, std::ostream& out)
    : m_options(options), m_paths(paths), m_out(out), m_plan(new SPlan)
{
    SPlan& p = *m_plan;
    p.options.convert = !m_options.noConvert;
    p.options.kbps = m_options.bitrate;
    p.options.reencode = m_options.reencode;
    p.options.stripTags = m_options.stripTags;
    p.info.resize(paths.size());
    p.send.resize(paths.size());
    p.fit.resize(paths.size());
    p.fileBytes.resize(paths.size());
    p.strippedBytes.resize(paths.size());
}

CCliConvert::~CCliConvert() = default;

bool CCliConvert::Probe(std::string& error)
{
    for (size_t i = 0; i < m_paths.size(); ++i)
        if (!Probe(i, error))
            return false;
    return true;
}

bool CCliConvert::Probe(size_t i, std::string& error)
{
    SPlan& p = *m_plan;
    const std::string& path = m_paths[i];
    SAudioInfo& info = p.info[i];
    if (!ProbeAudio(path, p.options, info, error)) {
        error = "cannot convert '" + std::string(PcBaseName(path)) + "': " + error;
        return false;
    }
    p.send[i] = PlanSend(info, p.options);
    p.fileBytes[i] = p.strippedBytes[i] = FileBytes(path);
    if (p.options.stripTags && info.kind == EAudioKind::Mpeg) {
        const STagSpan tags = FindTags(path);
        p.strippedBytes[i] = tags.end - tags.start;
    }
    SFitFile& f = p.fit[i];
    f.converts = p.send[i] == ESendAs::Converted;
    f.samples = info.samples;
    f.rate = info.rate;
    f.channels = info.channels;
    f.bytes = p.send[i] == ESendAs::WithoutTags ? p.strippedBytes[i] : p.fileBytes[i];
    return true;
}

bool CCliConvert::Plan(const CRioDevice& device, std::string& error)
{
    if (!Probe(error))
        return false;
    // The first file of an empty directory also takes the directory's block.
    const DirectoryHeader h = device.GetHeader();
    m_plan->freeBlocks = h.free - (h.count == 0 && device.GetBlockState(0) != kRioBlockUsed ? 1 : 0);
    std::vector<size_t> all(m_paths.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return !m_options.fit || Fit(all, m_plan->freeBlocks, kRioMaxEntries - device.EntryCount(), error);
}

bool CCliConvert::Fit(const std::vector<size_t>& files, int freeBlocks, int freeEntries, std::string& error)
{
    SPlan& p = *m_plan;
    std::vector<SFitFile> fit;
    for (size_t i : files)
        fit.push_back(p.fit[i]);
    const int kbps = FitBitrate(fit, m_options.bitrate, freeBlocks, freeEntries);
    if (kbps == 0) {
        error = "the files do not fit even at 32 kbit/s: they need " + std::to_string(BatchBlocks(fit, 32)) +
                " blocks of 32 KB, " + std::to_string(freeBlocks) + " are free";
        return false;
    }
    p.options.kbps = kbps;
    // A file that was to be re-encoded because it is above the chosen
    // bitrate is judged again at the fitted one.
    for (size_t i = 0; i < p.send.size(); ++i)
        p.send[i] = PlanSend(p.info[i], p.options);
    return true;
}

int CCliConvert::Kbps() const { return m_plan->options.kbps; }

int64_t CCliConvert::Bytes(size_t i, int kbps) const
{
    const SPlan& p = *m_plan;
    SConvertOptions options = p.options;
    options.kbps = kbps;
    switch (PlanSend(p.info[i], options)) {
    case ESendAs::Converted: return Mp3Bytes(p.info[i].samples, p.info[i].rate, p.info[i].channels, kbps);
    case ESendAs::WithoutTags: return p.strippedBytes[i];
    case ESendAs::AsIs: break;
    }
    return p.fileBytes[i];
}

std::string CCliConvert::PlayerName(size_t i) const
{
    const std::string base = PcBaseName(m_paths[i]);
    return m_plan->send[i] == ESendAs::Converted ? PlayerMp3Name(base) : base;
}

void CCliConvert::Show(const std::vector<std::string>& shownNames) const
{
    const SPlan& p = *m_plan;
    int64_t blocks = 0;
    for (size_t i = 0; i < p.send.size(); ++i) {
        const SAudioInfo& a = p.info[i];
        const int64_t bytes = Bytes(i, p.options.kbps);
        const int fileBlocks = PlayerBlocks(bytes);
        blocks += fileBlocks;
        m_out << "'" << PcBaseName(m_paths[i]) << "': ";
        if (a.kind == EAudioKind::NotAudio)
            m_out << "not audio";
        else
            m_out << a.codec << (a.kind == EAudioKind::Mpeg ? " " + std::to_string(a.kbps) + " kbit/s" : "") << ", "
                  << Duration(a.Seconds());
        const int64_t now = p.fileBytes[i];
        m_out << ", " << now << " bytes -> '" << shownNames[i] << "' ";
        switch (p.send[i]) {
        case ESendAs::Converted: m_out << "converted to " << p.options.kbps << " kbit/s MP3"; break;
        case ESendAs::WithoutTags: m_out << "without tags"; break;
        case ESendAs::AsIs: m_out << "as it is"; break;
        }
        m_out << ", " << bytes << " bytes, " << fileBlocks << (fileBlocks == 1 ? " block\n" : " blocks\n");
    }
    m_out << blocks << " blocks of 32 KB needed, " << p.freeBlocks << " free";
    if (m_options.fit)
        m_out << "; " << p.options.kbps << " kbit/s is the highest bitrate at which all fit";
    m_out << '\n';
}

bool CCliConvert::Prepare(size_t i, CCliProgress& progress, std::string& sendPath, std::string& error, int kbps)
{
    SPlan& p = *m_plan;
    const std::string& path = m_paths[i];
    SConvertOptions options = p.options;
    options.kbps = kbps > 0 ? kbps : p.options.kbps;
    const ESendAs send = PlanSend(p.info[i], options);
    p.temp.reset();
    sendPath = path;
    if (send == ESendAs::AsIs)
        return true;
    p.temp.reset(new CTempMp3);
    sendPath = p.temp->Path();
    const std::string base = PcBaseName(path);
    if (send == ESendAs::WithoutTags) {
        if (CopyWithoutTags(path, sendPath, error))
            return true;
        error = "cannot copy '" + base + "' without its tags: " + error;
        return false;
    }
    m_out << "converting '" << base << "' to " << options.kbps << " kbit/s MP3\n";
    // Drawn in the player's blocks, as the download that follows.
    const int blocks = std::max(1, PlayerBlocks(Bytes(i, options.kbps)));
    progress.Begin("convert " + base);
    const EConvertResult r = ConvertToMp3(
        path, sendPath, options.kbps,
        [&](int64_t done, int64_t total) {
            return CCliProgress::Callback()(static_cast<int>(done * blocks / total), blocks) != 0;
        },
        error);
    progress.End(r == EConvertResult::Done);
    if (r == EConvertResult::Stopped)
        error = "operation interrupted";
    else if (r == EConvertResult::Failed)
        error = "cannot convert '" + base + "': " + error;
    return r == EConvertResult::Done;
}

void CCliConvert::Release() { m_plan->temp.reset(); }
