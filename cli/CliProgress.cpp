// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliProgress.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "cli/CliInterrupt.h"
#include "cli/NameCodec.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kBarWidth = 20;
constexpr size_t kLabelWidth = 24;
constexpr int64_t kRedrawMs = 100;     // a fast transfer does not flood the terminal
constexpr int kBlockKb = kRioBlockSize / 1024;

CCliProgress* g_current = nullptr;
std::function<void(int, int)> g_blockHook;

int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

CCliProgress::CCliProgress(std::ostream& err, bool terminal, Clock clock)
    : m_err(err), m_terminal(terminal), m_clock(clock ? clock : Clock(SteadyMs))
{
}

CCliProgress::~CCliProgress()
{
    if (g_current == this)
        g_current = nullptr;
}

void CCliProgress::SetBlockHook(std::function<void(int, int)> hook)
{
    g_blockHook = std::move(hook);
}

void CCliProgress::Begin(const std::string& label)
{
    g_current = this;
    // Cut and padded by characters: a name in UTF-8 takes more bytes than columns.
    std::vector<size_t> starts;
    for (size_t at = 0; at < label.size();) {
        starts.push_back(at);
        uint32_t ch = 0;
        if (!NextUtf8(label, at, ch))
            ++at;
    }
    m_label = label;
    m_labelColumns = starts.size();
    if (m_labelColumns > kLabelWidth) {
        m_label = label.substr(0, starts[kLabelWidth - 3]) + "...";
        m_labelColumns = kLabelWidth;
    }
    m_startMs = m_clock();
    m_lastDrawMs = -1;
    m_total = 0;
    m_stoppedAt = -1;
}

int CCliProgress::OnProgress(int done, int total)
{
    if (g_blockHook)
        g_blockHook(done, total);
    return g_current ? g_current->Update(done, total) : (InterruptRequested() ? 0 : 1);
}

int CCliProgress::Update(int done, int total)
{
    m_total = total;
    if (InterruptRequested()) {
        m_stoppedAt = done;
        return 0;
    }
    if (m_terminal) {
        const int64_t now = m_clock();
        if (m_lastDrawMs < 0 || now - m_lastDrawMs >= kRedrawMs) {
            m_lastDrawMs = now;
            Draw(Line(done, total, now - m_startMs));
        }
    }
    return 1;
}

void CCliProgress::End(bool completed)
{
    if (g_current == this)
        g_current = nullptr;
    if (!m_terminal || m_drawnWidth == 0)
        return;
    if (completed && m_total > 0)
        Draw(Line(m_total, m_total, m_clock() - m_startMs));
    // Leave the last state standing on its own line.
    m_err << '\n';
    m_err.flush();
    m_drawnWidth = 0;
}

std::string CCliProgress::Line(int done, int total, int64_t elapsedMs) const
{
    const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 0;
    const int filled = total > 0 ? static_cast<int>(static_cast<int64_t>(kBarWidth) * done / total) : 0;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');

    char rate[32] = "    --- KB/s";
    char left[32] = "--:-- left";
    if (done > 0 && elapsedMs > 0) {
        const double kbPerSecond = 1000.0 * done * kBlockKb / static_cast<double>(elapsedMs);
        std::snprintf(rate, sizeof rate, "%7.1f KB/s", kbPerSecond);
        const int64_t leftSeconds = elapsedMs * (total - done) / done / 1000;
        std::snprintf(left, sizeof left, "%2d:%02d left", static_cast<int>(leftSeconds / 60),
                      static_cast<int>(leftSeconds % 60));
    }
    char line[160];
    std::snprintf(line, sizeof line, " [%s] %3d%% %s %s", bar.c_str(), percent, rate, left);
    return m_label + std::string(kLabelWidth - m_labelColumns, ' ') + line;
}

void CCliProgress::Draw(const std::string& line)
{
    // Blanks over whatever a longer previous line left behind.
    std::string padded = line;
    if (padded.size() < m_drawnWidth)
        padded.append(m_drawnWidth - padded.size(), ' ');
    m_err << '\r' << padded;
    m_err.flush();
    m_drawnWidth = line.size();
}
