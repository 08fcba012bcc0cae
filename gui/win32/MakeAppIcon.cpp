// Draws the application icon into an icon file for the resource script: the
// same picture as the Linux window's icon (a chip with an arrow coming down
// onto it, on a 32-unit grid), as a 32 x 32 and a 16 x 16 image of 256
// colours with a transparency mask.
//
//   tvqx-make-icon OUTPUT.ico
//
// The icon file is kept in the tree beside the resource script; the build
// target app-icon runs this again after a change of the picture.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r = 0, g = 0, b = 0;
};

constexpr Colour Rgb(int r, int g, int b)
{
    return {double(r), double(g), double(b)};
}

// A shape as a signed distance in pixels: negative inside.
using Distance = double (*)(double x, double y, const double* p);

struct Shape {
    std::vector<double> params;
    Distance distance;
    Colour fill;
    bool hasOutline;
    Colour outline;
};

Shape Filled(std::vector<double> params, Distance distance, Colour fill)
{
    return {std::move(params), distance, fill, false, {}};
}

Shape Outlined(std::vector<double> params, Distance distance, Colour fill, Colour outline)
{
    return {std::move(params), distance, fill, true, outline};
}

double RoundedRectDistance(double x, double y, const double* p)
{
    // p: left, top, width, height, radius
    const double hw = p[2] / 2, hh = p[3] / 2, r = p[4];
    const double qx = std::abs(x - (p[0] + hw)) - (hw - r);
    const double qy = std::abs(y - (p[1] + hh)) - (hh - r);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

double EllipseDistance(double x, double y, const double* p)
{
    // p: left, top, diameter (a circle)
    const double r = p[2] / 2;
    return std::hypot(x - (p[0] + r), y - (p[1] + r)) - r;
}

double PolygonDistance(double x, double y, const double* p)
{
    // p: count, then x0, y0, x1, y1, ...
    const int n = static_cast<int>(p[0]);
    const double* v = p + 1;
    double best = 1e9;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = v[2 * i], yi = v[2 * i + 1], xj = v[2 * j], yj = v[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
        const double dx = xj - xi, dy = yj - yi;
        const double t = std::clamp(((x - xi) * dx + (y - yi) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(x - (xi + t * dx), y - (yi + t * dy)));
    }
    return inside ? -best : best;
}

// The picture at `size` pixels; u is one unit of the 32-unit grid.
std::vector<Shape> Picture(int size)
{
    const double u = size / 32.0;
    const bool large = size >= 32;
    std::vector<Shape> shapes;
    const Colour pin = Rgb(176, 176, 176);
    for (int i = 0; i < 4; ++i) {
        const double y = (15 + 4 * i) * u;
        shapes.push_back(Filled({4 * u, y, 4 * u, 2 * u, 0}, RoundedRectDistance, pin));
        shapes.push_back(Filled({24 * u, y, 4 * u, 2 * u, 0}, RoundedRectDistance, pin));
    }
    // The chip, with the device maker's red mark on it.
    shapes.push_back(Outlined({7.5 * u, 12.5 * u, 17 * u, 18 * u, 2 * u}, RoundedRectDistance, Rgb(40, 48, 64),
                              Rgb(16, 20, 28)));
    shapes.push_back(Filled({10 * u, 25 * u, 3 * u}, EllipseDistance, Rgb(192, 0, 0)));
    // The arrow: new firmware going in; its outline on whole pixels.
    const double shift = large ? 0.5 : 0.0;
    const double arrow[] = {13, 1, 19, 1, 19, 11, 24, 11, 16, 20, 8, 11, 13, 11};
    Shape a = Outlined({7}, PolygonDistance, Rgb(48, 176, 64), Rgb(16, 96, 32));
    for (double v : arrow)
        a.params.push_back(v * u + shift);
    shapes.push_back(a);
    return shapes;
}

struct Pixel {
    Colour colour;
    double alpha = 0;
};

// Each pixel sampled on a grid (one sample for the small size, whose edges
// stay hard: just past the centre, so that an edge through the centre falls
// one way), shapes painted over each other in order.
std::vector<Pixel> Render(int size)
{
    const std::vector<Shape> shapes = Picture(size);
    const int grid = size >= 32 ? 8 : 1;
    std::vector<Pixel> pixels(static_cast<size_t>(size * size));
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Colour sum;
            int covered = 0;
            for (int sy = 0; sy < grid; ++sy) {
                for (int sx = 0; sx < grid; ++sx) {
                    const double nudge = grid == 1 ? 0.01 : 0.0;
                    const double x = px + (sx + 0.5) / grid + nudge, y = py + (sy + 0.5) / grid + nudge;
                    const Colour* c = nullptr;
                    for (const Shape& s : shapes) {
                        const double d = s.distance(x, y, s.params.data());
                        if (s.hasOutline && std::abs(d) <= 0.5)   // a one-pixel outline
                            c = &s.outline;
                        else if (d < 0)
                            c = &s.fill;
                    }
                    if (c) {
                        sum.r += c->r, sum.g += c->g, sum.b += c->b;
                        ++covered;
                    }
                }
            }
            Pixel& p = pixels[static_cast<size_t>(py * size + px)];
            p.alpha = double(covered) / (grid * grid);
            if (covered)
                p.colour = {sum.r / covered, sum.g / covered, sum.b / covered};
        }
    }
    return pixels;
}

void Put16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, uint16_t(v & 0xFFFF));
    Put16(out, uint16_t(v >> 16));
}

// One image of the icon file: header, 256-colour palette (entry 0 black, for
// the transparent pixels), colour rows and mask rows, both bottom-up.
std::string EncodeImage(int size, const std::vector<Pixel>& pixels)
{
    // Colours rounded until they fit the palette.
    std::map<uint32_t, uint8_t> index;
    std::vector<uint32_t> keys(pixels.size(), 0);
    for (int step = 1;; step *= 2) {
        index.clear();
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (pixels[i].alpha < 0.5)
                continue;
            auto q = [&](double v) { return uint32_t(std::min(255.0, std::round(v / step) * step)); };
            keys[i] = (q(pixels[i].colour.r) << 16) | (q(pixels[i].colour.g) << 8) | q(pixels[i].colour.b);
            index.emplace(keys[i], 0);
        }
        if (index.size() <= 255)
            break;
    }
    std::string palette;
    Put32(palette, 0);
    uint8_t next = 1;
    for (auto& entry : index) {
        entry.second = next++;
        Put32(palette, entry.first);   // blue, green, red, 0 in file order
    }
    palette.resize(256 * 4, '\0');

    const int colourStride = (size + 3) / 4 * 4;
    const int maskStride = ((size + 31) / 32) * 4;
    std::string image;
    Put32(image, 40);
    Put32(image, uint32_t(size));
    Put32(image, uint32_t(size * 2));   // colour rows and mask rows
    Put16(image, 1);
    Put16(image, 8);
    Put32(image, 0);
    Put32(image, uint32_t((colourStride + maskStride) * size));
    Put32(image, 0);
    Put32(image, 0);
    Put32(image, 256);
    Put32(image, 0);
    image += palette;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(colourStride), '\0');
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y * size + x);
            if (pixels[i].alpha >= 0.5)
                row[static_cast<size_t>(x)] = char(index[keys[i]]);
        }
        image += row;
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(maskStride), '\0');
        for (int x = 0; x < size; ++x)
            if (pixels[static_cast<size_t>(y * size + x)].alpha < 0.5)
                row[static_cast<size_t>(x / 8)] = char(row[static_cast<size_t>(x / 8)] | (0x80 >> (x % 8)));
        image += row;
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tvqx-make-icon OUTPUT.ico\n");
        return 2;
    }
    const std::array<int, 2> sizes{32, 16};
    std::vector<std::string> images;
    for (int size : sizes)
        images.push_back(EncodeImage(size, Render(size)));

    std::string file;
    Put16(file, 0);
    Put16(file, 1);   // an icon
    Put16(file, uint16_t(sizes.size()));
    uint32_t offset = uint32_t(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        file += char(sizes[i]);
        file += char(sizes[i]);
        file += char(0);   // 256 colours
        file += char(0);
        Put16(file, 1);
        Put16(file, 8);
        Put32(file, uint32_t(images[i].size()));
        Put32(file, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::string& image : images)
        file += image;

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s\n", argv[1]);
    return 0;
}
