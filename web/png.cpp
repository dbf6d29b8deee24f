// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/png.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace web {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Checksums ----

std::uint32_t Crc32(const std::string& data, std::size_t from) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < data.size(); ++i)
        crc = table[(crc ^ std::uint8_t(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const Bytes& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// ---- DEFLATE with the fixed Huffman codes ----

class BitWriter {
public:
    // `count` bits of `value`, least significant first.
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            if (used_ == 0) out_.push_back(0);
            out_.back() |= std::uint8_t(((value >> i) & 1) << used_);
            used_ = (used_ + 1) % 8;
        }
    }
    // A Huffman code goes most significant bit first.
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1, 1);
    }
    Bytes Take() { return std::move(out_); }

private:
    Bytes out_;
    int used_ = 0;
};

void LiteralOrLength(BitWriter& w, int symbol) {
    if (symbol < 144) {
        w.Code(0x30 + symbol, 8);
    } else if (symbol < 256) {
        w.Code(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        w.Code(symbol - 256, 7);
    } else {
        w.Code(0xC0 + symbol - 280, 8);
    }
}

constexpr std::array<int, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                          15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                          67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void Match(BitWriter& w, int length, int distance) {
    int l = int(kLengthBase.size()) - 1;
    while (kLengthBase[l] > length) --l;
    LiteralOrLength(w, 257 + l);
    w.Bits(length - kLengthBase[l], kLengthExtra[l]);
    int d = int(kDistanceBase.size()) - 1;
    while (kDistanceBase[d] > distance) --d;
    w.Code(d, 5);
    w.Bits(distance - kDistanceBase[d], kDistanceExtra[d]);
}

// One final block; each position takes the longest earlier match within
// 32 KiB that a chain of hashed three-byte prefixes finds.
Bytes Deflate(const Bytes& in) {
    constexpr int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kChain = 128;
    constexpr int kHashSize = 1 << 15;
    std::vector<int> head(kHashSize, -1), previous(in.size(), -1);
    const auto hash = [&in](std::size_t i) {
        return ((in[i] << 10) ^ (in[i + 1] << 5) ^ in[i + 2]) & (kHashSize - 1);
    };
    const auto insert = [&](std::size_t i) {
        if (i + kMinMatch > in.size()) return;
        const int h = hash(i);
        previous[i] = head[h];
        head[h] = int(i);
    };

    BitWriter w;
    w.Bits(1, 1);  // the final block
    w.Bits(1, 2);  // fixed Huffman codes
    std::size_t i = 0;
    while (i < in.size()) {
        int bestLength = 0, bestDistance = 0;
        if (i + kMinMatch <= in.size()) {
            const int limit = int(std::min<std::size_t>(kMaxMatch, in.size() - i));
            int candidate = head[hash(i)];
            for (int chain = 0; candidate >= 0 && chain < kChain; ++chain) {
                const int distance = int(i) - candidate;
                if (distance > kWindow) break;
                int length = 0;
                while (length < limit && in[candidate + length] == in[i + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit) break;
                }
                candidate = previous[candidate];
            }
        }
        if (bestLength >= kMinMatch) {
            Match(w, bestLength, bestDistance);
            for (int k = 0; k < bestLength; ++k) insert(i + k);
            i += bestLength;
        } else {
            LiteralOrLength(w, in[i]);
            insert(i);
            ++i;
        }
    }
    LiteralOrLength(w, 256);  // end of block
    return w.Take();
}

Bytes Zlib(const Bytes& in) {
    Bytes out{0x78, 0x01};  // deflate, 32 KiB window; no dictionary
    const Bytes body = Deflate(in);
    out.insert(out.end(), body.begin(), body.end());
    const std::uint32_t adler = Adler32(in);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(adler >> shift));
    return out;
}

// ---- Rows and filters ----

// Each row with the filter (none, left or up) whose bytes are smallest taken
// as signed numbers: the usual guess at what compresses best.
Bytes FilterRows(const std::vector<Bytes>& rows, int bytesPerPixel) {
    Bytes out;
    const Bytes* above = nullptr;
    for (const Bytes& row : rows) {
        std::array<Bytes, 3> filtered{row, row, row};
        for (std::size_t x = 0; x < row.size(); ++x) {
            filtered[1][x] = std::uint8_t(
                row[x] - (x >= std::size_t(bytesPerPixel) ? row[x - bytesPerPixel] : 0));
            filtered[2][x] = std::uint8_t(row[x] - (above ? (*above)[x] : 0));
        }
        int best = 0;
        long bestCost = -1;
        for (int f = 0; f < 3; ++f) {
            long cost = 0;
            for (std::uint8_t b : filtered[f]) cost += std::abs(int(std::int8_t(b)));
            if (bestCost < 0 || cost < bestCost) {
                best = f;
                bestCost = cost;
            }
        }
        out.push_back(std::uint8_t(best));
        out.insert(out.end(), filtered[best].begin(), filtered[best].end());
        above = &row;
    }
    return out;
}

void Chunk(std::string& png, const char* type, const Bytes& data) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(char(data.size() >> shift));
    const std::size_t start = png.size();
    png.append(type, 4);
    png.append(data.begin(), data.end());
    const std::uint32_t crc = Crc32(png, start);
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(char(crc >> shift));
}

void Big32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

}  // namespace

std::string EncodePng(const design::Image& image) {
    // The palette, see-through colours first so that the transparency
    // table can stop after them.
    std::vector<design::Rgba> palette;
    for (const design::Rgba& p : image.pixels)
        if (std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
    std::stable_partition(palette.begin(), palette.end(),
                          [](const design::Rgba& p) { return p.alpha < 255; });
    const bool indexed = palette.size() <= 256;
    const int depth = !indexed               ? 8
                      : palette.size() <= 2  ? 1
                      : palette.size() <= 4  ? 2
                      : palette.size() <= 16 ? 4
                                             : 8;

    std::vector<Bytes> rows;
    for (int y = 0; y < image.height; ++y) {
        Bytes row;
        if (indexed) {
            row.assign((std::size_t(image.width) * depth + 7) / 8, 0);
            for (int x = 0; x < image.width; ++x) {
                const auto index = std::size_t(
                    std::find(palette.begin(), palette.end(), image.At(x, y)) - palette.begin());
                const std::size_t bit = std::size_t(x) * depth;
                row[bit / 8] |= std::uint8_t(index << (8 - depth - bit % 8));
            }
        } else {
            for (int x = 0; x < image.width; ++x) {
                const design::Rgba& p = image.At(x, y);
                row.insert(row.end(), {p.red, p.green, p.blue, p.alpha});
            }
        }
        rows.push_back(std::move(row));
    }

    std::string png("\x89PNG\r\n\x1a\n", 8);
    Bytes header;
    Big32(header, std::uint32_t(image.width));
    Big32(header, std::uint32_t(image.height));
    header.insert(header.end(), {std::uint8_t(depth), std::uint8_t(indexed ? 3 : 6), 0, 0, 0});
    Chunk(png, "IHDR", header);
    if (indexed) {
        Bytes colours, alphas;
        for (const design::Rgba& p : palette) {
            colours.insert(colours.end(), {p.red, p.green, p.blue});
            if (p.alpha < 255) alphas.push_back(p.alpha);
        }
        Chunk(png, "PLTE", colours);
        if (!alphas.empty()) Chunk(png, "tRNS", alphas);
    }
    Chunk(png, "IDAT", Zlib(FilterRows(rows, indexed ? 1 : 4)));
    Chunk(png, "IEND", {});
    return png;
}

design::Image Enlarged(const design::Image& image, int factor) {
    design::Image out{image.width * factor, image.height * factor, {}};
    out.pixels.reserve(std::size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(image.At(x / factor, y / factor));
    return out;
}

}  // namespace web
