// Writes the executable's icon file: the overlay's shaded dot, drawn by the same pixel function as
// the tray and window icons, once per size. Built and run on the build machine (the Windows build
// is a cross build), so it uses no Windows headers and writes every field itself.
//
// Usage: make_icon OUT.ico RED GREEN BLUE SIZE...
// Each size becomes an uncompressed 32-bit BGRA image with its AND mask, the layout every Windows
// version reads; the bytes depend only on the arguments, so builds stay reproducible.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/dot_icon.h"

namespace {

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

// One image as an icon file holds it: a BITMAPINFOHEADER whose height counts the colour rows and
// the mask rows, the colour rows bottom-up, then the mask rows bottom-up (one bit a pixel, set
// where the image is transparent, rows padded to 32 bits).
std::vector<uint8_t> image(int size, uint32_t red, uint32_t green, uint32_t blue) {
    const uint32_t side = static_cast<uint32_t>(size);
    const uint32_t maskRow = (side + 31) / 32 * 4;
    std::vector<uint8_t> out;
    put32(out, 40);        // biSize
    put32(out, side);      // biWidth
    put32(out, 2 * side);  // biHeight: colour and mask
    put16(out, 1);         // biPlanes
    put16(out, 32);        // biBitCount
    put32(out, 0);         // biCompression: BI_RGB
    put32(out, side * side * 4 + maskRow * side);
    for (int field = 0; field < 4; ++field) put32(out, 0);  // resolution and palette: none
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t colour = mb::dot_icon::pixel(size, x, y, red, green, blue);  // 0x00BBGGRR
            out.push_back(static_cast<uint8_t>(colour >> 16));
            out.push_back(static_cast<uint8_t>(colour >> 8));
            out.push_back(static_cast<uint8_t>(colour));
            out.push_back(mb::dot_icon::inside(size, x, y) ? 0xFF : 0x00);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRow, 0);
        for (int x = 0; x < size; ++x) {
            if (!mb::dot_icon::inside(size, x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// ICONDIR, one 16-byte ICONDIRENTRY per image (a width or height of 256 is written as 0), then the
// images in the same order.
std::vector<uint8_t> iconFile(const std::vector<int>& sizes, uint32_t red, uint32_t green, uint32_t blue) {
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<uint32_t>(sizes.size()));
    std::vector<uint8_t> images;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (const int size : sizes) {
        const std::vector<uint8_t> bytes = image(size, red, green, blue);
        out.push_back(static_cast<uint8_t>(size & 0xFF));
        out.push_back(static_cast<uint8_t>(size & 0xFF));
        out.push_back(0);  // no palette
        out.push_back(0);  // reserved
        put16(out, 1);     // planes
        put16(out, 32);    // bits per pixel
        put32(out, static_cast<uint32_t>(bytes.size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(bytes.size());
        images.insert(images.end(), bytes.begin(), bytes.end());
    }
    out.insert(out.end(), images.begin(), images.end());
    return out;
}

bool number(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    long channels[3] = {};
    std::vector<int> sizes;
    bool valid = argc >= 6;
    for (int i = 2; valid && i < argc; ++i) {
        long value = 0;
        valid = i < 5 ? number(argv[i], 0, 255, channels[i - 2]) : number(argv[i], 1, 256, value);
        if (i >= 5) sizes.push_back(static_cast<int>(value));
    }
    if (!valid) {
        std::fprintf(stderr, "usage: make_icon OUT.ico RED GREEN BLUE SIZE... (channels 0-255, sizes 1-256)\n");
        return 2;
    }
    const std::vector<uint8_t> bytes = iconFile(sizes, static_cast<uint32_t>(channels[0]),
                                                static_cast<uint32_t>(channels[1]), static_cast<uint32_t>(channels[2]));
    // Written beside its name and renamed when complete, so a failed run leaves no half file that
    // a later build would take for done.
    const std::string path = argv[1], partial = path + ".partial";
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
