#include "tests/support/PictParser.h"

namespace {

// Big-endian reading with bounds checks; the first failure is kept.
class Cursor {
public:
    explicit Cursor(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t offset() const { return offset_; }
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    void Fail(const std::string& why) {
        if (error_.empty()) error_ = why + " at offset " + std::to_string(offset_);
    }
    uint8_t Byte() {
        if (offset_ >= bytes_.size()) {
            Fail("read past the end");
            return 0;
        }
        return bytes_[offset_++];
    }
    uint16_t Word() {
        const uint16_t hi = Byte();
        return static_cast<uint16_t>(hi << 8 | Byte());
    }
    uint32_t Long() {
        const uint32_t hi = Word();
        return hi << 16 | Word();
    }
    Rect ReadRect() {
        Rect r;
        r.top = static_cast<int16_t>(Word());
        r.left = static_cast<int16_t>(Word());
        r.bottom = static_cast<int16_t>(Word());
        r.right = static_cast<int16_t>(Word());
        return r;
    }
    const uint8_t* Take(size_t n) {
        if (offset_ + n > bytes_.size()) {
            Fail("block past the end");
            return nullptr;
        }
        const uint8_t* p = bytes_.data() + offset_;
        offset_ += n;
        return p;
    }
    void Align() {
        if (offset_ % 2 != 0) Byte();
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t offset_ = 0;
    std::string error_;
};

void ReadRows(Cursor& in, ParsedDirectBits& d) {
    const int width = RectWidth(d.bounds);
    const int height = RectHeight(d.bounds);
    const int rowBytes = d.rowBytesWord & 0x3FFF;
    if (width <= 0 || height <= 0) return in.Fail("empty pixel map");
    if (d.pixelSize != 32 || rowBytes < 4 * width) return in.Fail("not a 32-bit pixel map");
    d.rgb.reserve(3 * static_cast<size_t>(width) * height);
    if (rowBytes < 8) {
        for (int y = 0; y < height && in.ok(); ++y) {
            const uint8_t* row = in.Take(static_cast<size_t>(rowBytes));
            if (row == nullptr) return;
            for (int x = 0; x < width; ++x) d.rgb.insert(d.rgb.end(), row + 4 * x + 1, row + 4 * x + 4);
        }
        return;
    }
    if (d.packType != 4 || d.cmpCount != 3) return in.Fail("unexpected packing");
    d.wordByteCounts = rowBytes > 250;
    std::vector<uint8_t> planes;
    for (int y = 0; y < height && in.ok(); ++y) {
        const size_t count = d.wordByteCounts ? in.Word() : in.Byte();
        const uint8_t* packed = in.Take(count);
        if (packed == nullptr) return;
        if (!UnpackBitsForTest(packed, count, 3 * static_cast<size_t>(width), &planes)) {
            return in.Fail("row " + std::to_string(y) + " does not unpack to its width");
        }
        for (int x = 0; x < width; ++x) {
            d.rgb.push_back(planes[x]);
            d.rgb.push_back(planes[width + x]);
            d.rgb.push_back(planes[2 * width + x]);
        }
    }
}

ParsedDirectBits ReadDirectBits(Cursor& in, size_t opcodeOffset) {
    ParsedDirectBits d;
    d.offset = opcodeOffset;
    d.baseAddr = in.Long();
    d.rowBytesWord = in.Word();
    d.bounds = in.ReadRect();
    d.pmVersion = in.Word();
    d.packType = in.Word();
    d.packSize = in.Long();
    d.hRes = in.Long();
    d.vRes = in.Long();
    d.pixelType = in.Word();
    d.pixelSize = in.Word();
    d.cmpCount = in.Word();
    d.cmpSize = in.Word();
    d.planeBytes = in.Long();
    d.pmTable = in.Long();
    d.pmReserved = in.Long();
    d.srcRect = in.ReadRect();
    d.dstRect = in.ReadRect();
    d.mode = in.Word();
    if (in.ok()) ReadRows(in, d);
    return d;
}

}  // namespace

bool UnpackBitsForTest(const uint8_t* packed, size_t packedSize, size_t n, std::vector<uint8_t>* out) {
    out->clear();
    size_t i = 0;
    while (i < packedSize) {
        const int8_t count = static_cast<int8_t>(packed[i++]);
        if (count >= 0) {
            const size_t length = static_cast<size_t>(count) + 1;
            if (i + length > packedSize) return false;
            out->insert(out->end(), packed + i, packed + i + length);
            i += length;
        } else if (count != -128) {
            if (i >= packedSize) return false;
            out->insert(out->end(), static_cast<size_t>(1 - count), packed[i++]);
        }
    }
    return out->size() == n;
}

ParsedPicture ParsePicture(const std::vector<uint8_t>& bytes) {
    ParsedPicture p;
    Cursor in(bytes);
    p.sizeWord = in.Word();
    p.frame = in.ReadRect();
    if (in.Word() != 0x0011 || in.Word() != 0x02FF) in.Fail("not a version-2 picture");
    if (in.Word() != 0x0C00) in.Fail("no header opcode");
    p.headerVersion = in.Long();
    for (int32_t& v : p.fixedFrame) v = static_cast<int32_t>(in.Long());
    in.Long();  // reserved
    bool ended = false;
    while (in.ok() && !ended) {
        if (in.offset() % 2 != 0) in.Fail("opcode on an odd offset");
        const size_t at = in.offset();
        const uint16_t op = in.Word();
        if (!in.ok()) break;
        p.opcodes.push_back(op);
        switch (op) {
            case 0x0000:  // no operation
            case 0x001E:  // default highlight
                break;
            case 0x0001: {
                const uint16_t size = in.Word();
                if (size < 10) {
                    in.Fail("region too small");
                    break;
                }
                p.clips.push_back(in.ReadRect());
                in.Take(size - 10u);
                break;
            }
            case 0x009A:
                p.copies.push_back(ReadDirectBits(in, at));
                in.Align();
                break;
            case 0x00FF:
                ended = true;
                p.endOffset = at;
                break;
            default: in.Fail("unexpected opcode " + std::to_string(op));
        }
    }
    if (in.ok() && !ended) in.Fail("no end opcode");
    if (in.ok() && in.offset() != bytes.size()) in.Fail("bytes after the end opcode");
    p.error = in.error();
    return p;
}
