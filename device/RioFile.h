// SPDX-License-Identifier: GPL-3.0-or-later
// A C stream closed when it goes out of scope: the PC files that downloads
// and comparisons read.
#pragma once
#include <cstdio>
#include <memory>

struct CFileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
typedef std::unique_ptr<FILE, CFileCloser> CFilePtr;
