#include "bmp.h"

#include <fstream>
#include <stdexcept>

namespace pictures {
namespace {

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)); u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }
    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    void append(const std::vector<uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }

private:
    std::vector<uint8_t> bytes_;
};

void InfoHeader(ByteWriter& w, int width, int height, int bits, uint32_t imageSize, uint32_t colours) {
    w.u32(40);
    w.u32(uint32_t(width));
    w.u32(uint32_t(height));
    w.u16(1);
    w.u16(uint16_t(bits));
    w.u32(0); // BI_RGB
    w.u32(imageSize);
    w.u32(2835); // 72 dpi
    w.u32(2835);
    w.u32(colours);
    w.u32(0);
}

void Save(const std::vector<uint8_t>& bytes, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

} // namespace

void WriteBmp(const IndexedImage& image, int bits, const std::string& path) {
    if (bits != 4 && bits != 8) throw std::runtime_error("unsupported depth for " + path);
    const uint32_t colours = 1u << bits;
    if (image.palette.size() > colours) throw std::runtime_error("palette too large for " + path);
    for (uint8_t p : image.pixels)
        if (p >= image.palette.size()) throw std::runtime_error("pixel outside the palette in " + path);

    const uint32_t stride = ((uint32_t(image.width) * bits + 31) / 32) * 4;
    const uint32_t imageSize = stride * uint32_t(image.height);
    const uint32_t offset = 14 + 40 + colours * 4;

    ByteWriter w;
    w.u8('B');
    w.u8('M');
    w.u32(offset + imageSize);
    w.u32(0);
    w.u32(offset);
    InfoHeader(w, image.width, image.height, bits, imageSize, colours);
    for (uint32_t i = 0; i < colours; ++i) {
        Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
        w.u8(c.b);
        w.u8(c.g);
        w.u8(c.r);
        w.u8(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < image.width; ++x) {
            uint8_t p = image.at(x, y);
            if (bits == 8)
                row[x] = p;
            else
                row[x / 2] |= (x % 2 == 0) ? uint8_t(p << 4) : p;
        }
        w.append(row);
    }
    Save(w.bytes(), path);
}

void WriteIco(const std::vector<RgbaImage>& images, const std::string& path) {
    std::vector<std::vector<uint8_t>> blobs;
    for (const RgbaImage& im : images) {
        if (im.width > 256 || im.height > 256) throw std::runtime_error("icon too large");
        const uint32_t maskStride = ((uint32_t(im.width) + 31) / 32) * 4;
        const uint32_t xorSize = uint32_t(im.width) * im.height * 4;
        ByteWriter w;
        // An icon's header counts the colour image and the mask: twice the height.
        InfoHeader(w, im.width, im.height * 2, 32, xorSize + maskStride * im.height, 0);
        for (int y = im.height - 1; y >= 0; --y)
            for (int x = 0; x < im.width; ++x) {
                const uint8_t* p = &im.rgba[(size_t(y) * im.width + x) * 4];
                w.u8(p[2]);
                w.u8(p[1]);
                w.u8(p[0]);
                w.u8(p[3]);
            }
        // The mask still matters to old painters that ignore alpha.
        for (int y = im.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskStride, 0);
            for (int x = 0; x < im.width; ++x)
                if (im.rgba[(size_t(y) * im.width + x) * 4 + 3] == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            w.append(row);
        }
        blobs.push_back(w.bytes());
    }

    ByteWriter w;
    w.u16(0);
    w.u16(1);
    w.u16(uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        w.u8(uint8_t(images[i].width & 0xFF)); // 256 is written as 0
        w.u8(uint8_t(images[i].height & 0xFF));
        w.u8(0);
        w.u8(0);
        w.u16(1);
        w.u16(32);
        w.u32(uint32_t(blobs[i].size()));
        w.u32(offset);
        offset += uint32_t(blobs[i].size());
    }
    for (const auto& b : blobs) w.append(b);
    Save(w.bytes(), path);
}

} // namespace pictures
