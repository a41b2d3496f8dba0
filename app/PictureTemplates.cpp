// The slider thumbs: small triangles in a dim red, like everything else the program
// draws on its black backgrounds. Red alone counts as dark on a 1-bit port, so each
// thumb drawn into a 1-bit buffer gives its own mask.
#include <array>
#include <string_view>

#include "app/Templates.h"
#include "platform/Pictures.h"

namespace {

constexpr RGBColor kThumbColor{0xC0 * 257, 0, 0};

// A thumb's shape, one string a row, '#' where it is drawn.
template <size_t Rows>
using Shape = std::array<std::string_view, Rows>;

// The dark-cutoff thumb: an open triangle pointing up at its level.
constexpr Shape<6> kDarkThumb = {
    ".....#.....",
    "....#.#....",
    "...#...#...",
    "..#.....#..",
    ".#.......#.",
    "###########",
};

// The light-cutoff thumb: a filled triangle pointing up at its level.
constexpr Shape<6> kLightThumb = {
    ".....#.....",
    "....###....",
    "...#####...",
    "..#######..",
    ".#########.",
    "###########",
};

// The gamma thumb: a filled triangle pointing left, at the histogram.
constexpr Shape<11> kGammaThumb = {
    ".....#", "....##", "...###", "..####", ".#####", "######",
    ".#####", "..####", "...###", "....##", ".....#",
};

// Paints the shape scaled onto dst: each pixel of dst takes the shape's cell under it,
// and every row is painted as runs of set cells.
template <size_t Rows>
void PaintShape(const Shape<Rows>& shape, const Rect& dst) {
    const int rows = static_cast<int>(Rows);
    const int columns = static_cast<int>(shape[0].size());
    const int width = RectWidth(dst);
    const int height = RectHeight(dst);
    RGBForeColor(&kThumbColor);
    for (int y = 0; y < height; ++y) {
        const std::string_view row = shape[static_cast<size_t>(y * rows / height)];
        int x = 0;
        while (x < width) {
            if (row[static_cast<size_t>(x * columns / width)] != '#') {
                ++x;
                continue;
            }
            const int runStart = x;
            while (x < width && row[static_cast<size_t>(x * columns / width)] == '#') ++x;
            const Rect run = MakeRect(dst.left + runStart, dst.top + y, dst.left + x, dst.top + y + 1);
            PaintRect(&run);
        }
    }
}

template <size_t Rows>
void RegisterShape(int16_t id, const Shape<Rows>& shape) {
    const Rect frame = MakeRect(0, 0, static_cast<int>(shape[0].size()), static_cast<int>(Rows));
    RegisterPicture(id, frame, [&shape](const Rect& dst) { PaintShape(shape, dst); });
}

}  // namespace

void RegisterPictureTemplates() {
    RegisterShape(129, kDarkThumb);
    RegisterShape(130, kLightThumb);
    RegisterShape(131, kGammaThumb);
}
