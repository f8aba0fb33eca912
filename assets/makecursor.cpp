// Turns a text drawing into a Windows cursor file (.CUR): one 32 x 32 image,
// 32-bit colour with an AND mask, and the hotspot from the drawing's first line.
// Usage: makecursor DRAWING OUTPUT
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

void put16(std::string& out, unsigned value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: makecursor DRAWING OUTPUT\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "makecursor: cannot read %s\n", argv[1]);
        return 1;
    }
    int hotX = 0, hotY = 0;
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("hotspot ", 0) == 0) {
            std::istringstream(line.substr(8)) >> hotX >> hotY;
        } else if (!line.empty() && line[0] != '#' && int(rows.size()) < kSize) {
            line.resize(kSize, '.');
            rows.push_back(line);
        }
    }
    rows.resize(kSize, std::string(kSize, '.'));

    std::string pixels, mask;
    for (int y = kSize - 1; y >= 0; --y) { // bitmaps run bottom-up
        std::uint32_t maskRow = 0;
        for (int x = 0; x < kSize; ++x) {
            const char c = rows[y][x];
            const bool clear = c != '#' && c != 'o';
            const std::uint32_t bgra = clear ? 0u : c == '#' ? 0xFF000000u : 0xFFFFFFFFu;
            put32(pixels, bgra);
            if (clear)
                maskRow |= 1u << (31 - x);
        }
        for (int shift = 24; shift >= 0; shift -= 8) // most significant bit first
            mask += char((maskRow >> shift) & 0xFF);
    }

    std::string image;
    put32(image, 40); // BITMAPINFOHEADER
    put32(image, kSize);
    put32(image, kSize * 2); // colour and mask stacked
    put16(image, 1);
    put16(image, 32);
    put32(image, 0);
    put32(image, std::uint32_t(pixels.size() + mask.size()));
    for (int i = 0; i < 4; ++i)
        put32(image, 0);
    image += pixels;
    image += mask;

    std::string file;
    put16(file, 0);
    put16(file, 2); // a cursor
    put16(file, 1);
    file += char(kSize);
    file += char(kSize);
    file += char(0);
    file += char(0);
    put16(file, unsigned(hotX));
    put16(file, unsigned(hotY));
    put32(file, std::uint32_t(image.size()));
    put32(file, 22);
    file += image;

    std::ofstream out(argv[2], std::ios::binary);
    out.write(file.data(), std::streamsize(file.size()));
    if (!out) {
        std::fprintf(stderr, "makecursor: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
