// SPDX-License-Identifier: GPL-3.0-or-later
// Carries out a sync plan on a device session, in steps that each end with a
// directory write: all deletes at once (freeing memory first), each send as an
// ordinary download (verify, stop and the vanish check apply), then one
// reorder. An interruption anywhere leaves the directory a finished step
// wrote; a new plan from it finishes the job.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "device/RioDevice.h"
#include "sync/SyncPlan.h"

class CRioSession;

struct SSyncOutcome {
    int deleted = 0;
    int sent = 0;
    bool reordered = false;
    bool done = false; // the player holds the list, in order
};

struct SSyncHooks {
    // Before the n-th send (from 0) of file; false stops the sync there.
    std::function<bool(size_t n, const SSyncFile& file)> beforeSend;
    // The PC file whose bytes are sent for list entry i (unset: its source),
    // made just before its send; false stops the sync there.
    std::function<bool(size_t i, const SSyncFile& file, std::string& pcPath)> sendPath;
    // After each send, with its result.
    std::function<void(const SSyncFile& file, bool ok)> afterSend;
    ProgressCallback progress = nullptr;
    // The caller tells a stop through progress itself: a stopped send shows no
    // failure message (the window's status line says it was stopped).
    bool quietStop = false;
};

// The session reports each failure in its own words; the outcome tells what
// was done. The plan must have been made from the session's current image.
SSyncOutcome RunSyncPlan(CRioSession& session, const std::vector<SSyncFile>& list, const SSyncPlan& plan,
                         const SSyncHooks& hooks);

// Whether the image holds exactly the list's names and sizes, in list order.
bool ImageHoldsList(const CRioDevice& image, const std::vector<SSyncFile>& list);
