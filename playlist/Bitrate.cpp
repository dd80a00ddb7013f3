// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/FileEntry.h"

namespace {

// kbit/s by bitrate index 0..14; index 0 is free format, shown as 0.
const int kMpeg1Layer1[15] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
const int kMpeg1Layer2[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
const int kMpeg1Layer3[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
// MPEG-2 and MPEG-2.5 share these rows.
const int kMpeg2Layer1[15] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
const int kMpeg2Layer23[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

}  // namespace

int DecodeBitrate(const uint8_t header[4]) {
    const int version = (header[1] >> 3) & 3;   // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    const int layer = (header[1] >> 1) & 3;     // 3 Layer I, 2 Layer II, 1 Layer III, 0 reserved
    const int index = header[2] >> 4;
    // Index 15 is forbidden and layer 0 reserved: neither names a bitrate, so they
    // read like the reserved version and like a missing header, as 0.
    if (version == 1 || layer == 0 || index == 15)
        return 0;
    const int* row;
    if (version == 3)
        row = layer == 3 ? kMpeg1Layer1 : layer == 2 ? kMpeg1Layer2 : kMpeg1Layer3;
    else
        row = layer == 3 ? kMpeg2Layer1 : kMpeg2Layer23;
    return row[index];
}
