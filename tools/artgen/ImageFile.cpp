// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/artgen/ImageFile.h"

#include <algorithm>
#include <map>

namespace {

int Distance(Rgb a, Rgb b) {
    int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;  // rough perceptual weights
}

struct Entry {
    Rgb colour;
    long count;
};

// Median cut: split the box with the widest channel range at its weighted median
// until there are n boxes; each box becomes the weighted mean of its colours.
std::vector<Rgb> MedianCut(std::vector<Entry> colours, size_t n) {
    std::vector<std::vector<Entry>> boxes{std::move(colours)};
    auto channel = [](const Rgb& c, int ch) { return ch == 0 ? c.r : ch == 1 ? c.g : c.b; };
    auto range = [&](const std::vector<Entry>& box, int& widest) {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (const Entry& e : box) {
                lo = std::min<int>(lo, channel(e.colour, ch));
                hi = std::max<int>(hi, channel(e.colour, ch));
            }
            if (hi - lo > best) { best = hi - lo; widest = ch; }
        }
        return best;
    };
    while (boxes.size() < n) {
        int pick = -1, pickRange = 0, pickChannel = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int ch = 0, r = boxes[i].size() > 1 ? range(boxes[i], ch) : 0;
            if (r > pickRange) { pick = int(i); pickRange = r; pickChannel = ch; }
        }
        if (pick < 0) break;
        auto& box = boxes[size_t(pick)];
        std::sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
            return channel(a.colour, pickChannel) < channel(b.colour, pickChannel) ||
                   (channel(a.colour, pickChannel) == channel(b.colour, pickChannel) &&
                    a.colour.Key() < b.colour.Key());
        });
        long total = 0, half = 0;
        for (const Entry& e : box) total += e.count;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < box.size(); ++i) {
            half += box[i].count;
            cut = i + 1;
            if (half * 2 >= total) break;
        }
        std::vector<Entry> upper(box.begin() + long(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const auto& box : boxes) {
        double r = 0, g = 0, b = 0, total = 0;
        for (const Entry& e : box) {
            r += e.colour.r * double(e.count);
            g += e.colour.g * double(e.count);
            b += e.colour.b * double(e.count);
            total += double(e.count);
        }
        palette.push_back(Rgb(int(r / total + 0.5), int(g / total + 0.5), int(b / total + 0.5)));
    }
    return palette;
}

IndexedImage MapTo(const Canvas& c, const std::vector<Rgb>& palette, int bits, size_t firstChoice) {
    IndexedImage img{c.Width(), c.Height(), bits, palette, {}};
    img.palette.resize(size_t(1) << bits, Rgb());
    std::map<uint32_t, uint8_t> cache;
    for (const Rgb& px : c.Pixels()) {
        auto it = cache.find(px.Key());
        if (it == cache.end()) {
            size_t best = 0;
            int bestDistance = -1;
            for (size_t i = 0; i < palette.size(); ++i) {
                if (palette[i] == px) { best = i; break; }
                if (i < firstChoice) continue;
                int d = Distance(palette[i], px);
                if (bestDistance < 0 || d < bestDistance) { bestDistance = d; best = i; }
            }
            it = cache.emplace(px.Key(), uint8_t(best)).first;
        }
        img.index.push_back(it->second);
    }
    return img;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

size_t Stride(int width, int bits) { return ((size_t(width) * size_t(bits) + 31) / 32) * 4; }

// Information header, colour table and bottom-up rows, as in a .BMP after its file
// header; an icon image doubles the height to make room for its mask.
std::vector<uint8_t> EncodeDib(const IndexedImage& img, int headerHeight) {
    std::vector<uint8_t> out;
    size_t stride = Stride(img.width, img.bits);
    Put32(out, 40);
    Put32(out, uint32_t(img.width));
    Put32(out, uint32_t(headerHeight));
    Put16(out, 1);
    Put16(out, uint16_t(img.bits));
    Put32(out, 0);  // no compression
    Put32(out, uint32_t(stride * size_t(img.height)));
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);  // colours used: all of the table
    Put32(out, 0);
    for (const Rgb& c : img.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = img.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < img.width; ++x) {
            uint8_t v = img.index[size_t(y) * size_t(img.width) + size_t(x)];
            if (img.bits == 8)
                row[size_t(x)] = v;
            else
                row[size_t(x) / 2] |= uint8_t(x % 2 ? v : v << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

const std::vector<Rgb>& Standard16() {
    static const std::vector<Rgb> colours = {
        {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    return colours;
}

IndexedImage MapToStandard16(const Canvas& c) { return MapTo(c, Standard16(), 4, 0); }

IndexedImage Quantize256(const Canvas& c) {
    std::map<uint32_t, long> counts;
    for (const Rgb& px : c.Pixels()) ++counts[px.Key()];
    const Rgb black;
    bool hasBlack = counts.count(0) > 0;
    std::vector<Entry> colours;
    for (const auto& [key, n] : counts)
        if (key != 0) colours.push_back({Rgb(int(key >> 16), int((key >> 8) & 255), int(key & 255)), n});
    std::vector<Rgb> palette;
    if (hasBlack) palette.push_back(black);
    size_t room = 256 - palette.size();
    std::vector<Rgb> chosen;
    if (colours.size() <= room) {
        for (const Entry& e : colours) chosen.push_back(e.colour);
    } else {
        chosen = MedianCut(colours, room);
    }
    for (Rgb& p : chosen)
        if (p == black) p = Rgb(1, 1, 1);  // a near-black mean must stay opaque
    palette.insert(palette.end(), chosen.begin(), chosen.end());
    // Black matches only itself: the search for any other colour starts after it.
    return MapTo(c, palette, 8, hasBlack ? 1 : 0);
}

std::vector<uint8_t> EncodeBmp(const IndexedImage& img) {
    std::vector<uint8_t> dib = EncodeDib(img, img.height);
    std::vector<uint8_t> out;
    uint32_t offset = 14 + 40 + uint32_t(img.palette.size()) * 4;
    Put16(out, 0x4D42);  // "BM"
    Put32(out, uint32_t(14 + dib.size()));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<Canvas>& images, Rgb transparent) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const Canvas& c : images) {
        Canvas opaque = c;  // transparent pixels become black under the mask
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                if (c.Get(x, y) == transparent) opaque.Set(x, y, Rgb());
        IndexedImage img = Quantize256(opaque);
        std::vector<uint8_t> body = EncodeDib(img, img.height * 2);
        size_t maskStride = Stride(img.width, 1);
        for (int y = img.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < img.width; ++x)
                if (c.Get(x, y) == transparent) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(images[i].Width()));
        out.push_back(uint8_t(images[i].Height()));
        out.push_back(0);  // 256 colours or more
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 8);
        Put32(out, uint32_t(bodies[i].size()));
        Put32(out, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}
