// Draws the builder's built-in icon sets (green.ico, yellow.ico, red.ico):
// a rounded tile in the set's colour with a download arrow dropping into a
// tray, at 16x16, 32x32 and 48x48, each in 32-bit colour with alpha, 256
// colours and 16 colours. The .ico files beside this source are its output.
//
// A host program, run once whenever the design changes:
//   g++ -O2 -std=c++17 -o /tmp/icon-generator Res/icons/IconGenerator.cpp
//   /tmp/icon-generator Res/icons
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
  double r, g, b;
};

// Colours of one set: the tile's gradient (top, bottom), its rim, the glyph,
// and the flat colours of the 16-colour images (from the standard palette).
struct Scheme {
  const char* name;
  Rgb top, bottom, rim, glyph;
  int flatFill, flatRim, flatGlyph;  // indices into kVgaPalette
};

const std::array<std::array<uint8_t, 3>, 16> kVgaPalette = {{
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
}};

Rgb FromHex(uint32_t v) {
  return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}

const Scheme kSchemes[] = {
    {"green", FromHex(0x63D471), FromHex(0x1F8A3A), FromHex(0x125C24), FromHex(0xFFFFFF), 2, 0,
     15},
    {"yellow", FromHex(0xFFE066), FromHex(0xE8A800), FromHex(0x8C6400), FromHex(0x5A3E00), 11, 3,
     3},
    {"red", FromHex(0xF2706A), FromHex(0xC42222), FromHex(0x7A1010), FromHex(0xFFFFFF), 9, 1,
     15},
};

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied)
};

// Paints colour c with coverage a over d (straight alpha).
void Over(Rgba& d, const Rgb& c, double a) {
  if (a <= 0) return;
  double outA = a + d.a * (1 - a);
  if (outA <= 0) return;
  d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
  d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
  d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
  d.a = outA;
}

// Signed distance to a rounded rectangle (negative inside).
double RoundRect(double x, double y, double x0, double y0, double x1, double y1, double radius) {
  double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

bool InRect(double x, double y, double x0, double y0, double x1, double y1) {
  return x >= x0 && x < x1 && y >= y0 && y < y1;
}

bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx,
                double cy) {
  auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
    return (qx - px) * (ry - py) - (qy - py) * (rx - px);
  };
  double d1 = side(ax, ay, bx, by, x, y);
  double d2 = side(bx, by, cx, cy, x, y);
  double d3 = side(cx, cy, ax, ay, x, y);
  bool neg = d1 < 0 || d2 < 0 || d3 < 0;
  bool pos = d1 > 0 || d2 > 0 || d3 > 0;
  return !(neg && pos);
}

// The glyph in unit coordinates: an arrow pointing down into a tray.
bool InGlyph(double x, double y) {
  if (InRect(x, y, 0.415, 0.17, 0.585, 0.47)) return true;                 // shaft
  if (InTriangle(x, y, 0.25, 0.44, 0.75, 0.44, 0.50, 0.69)) return true;   // head
  if (InRect(x, y, 0.20, 0.74, 0.80, 0.83)) return true;                   // tray floor
  if (InRect(x, y, 0.20, 0.58, 0.29, 0.83)) return true;                   // left wall
  if (InRect(x, y, 0.71, 0.58, 0.80, 0.83)) return true;                   // right wall
  return false;
}

const double kTile0 = 0.04, kTile1 = 0.96, kRadius = 0.20;

// One sample of the full-colour design at unit coordinates (x, y); px is
// one pixel in unit coordinates.
Rgba Sample(const Scheme& s, double x, double y, double px) {
  Rgba out;
  // A soft shadow under the tile.
  double shadow = RoundRect(x, y, kTile0 + px * 0.6, kTile0 + px * 1.2, kTile1 + px * 0.6,
                            kTile1 + px * 1.2, kRadius);
  if (shadow < 0) Over(out, {0, 0, 0}, 0.28);
  double tile = RoundRect(x, y, kTile0, kTile0, kTile1, kTile1, kRadius);
  if (tile < 0) {
    double rim = std::max(px, 0.03);
    if (tile > -rim) {
      Over(out, s.rim, 1.0);
    } else {
      double t = (y - kTile0) / (kTile1 - kTile0);
      Rgb c{s.top.r + (s.bottom.r - s.top.r) * t, s.top.g + (s.bottom.g - s.top.g) * t,
            s.top.b + (s.bottom.b - s.top.b) * t};
      Over(out, c, 1.0);
      // Gloss across the upper half.
      double gx = (x - 0.5) / 0.62, gy = (y - 0.06) / 0.44;
      if (gx * gx + gy * gy < 1.0 && y < 0.5) Over(out, {1, 1, 1}, 0.16 * (1 - y / 0.5));
    }
    // The glyph with a faint shadow one pixel down and right.
    double shadowStep = std::max(px, 0.02);
    if (InGlyph(x - shadowStep, y - shadowStep)) Over(out, {0, 0, 0}, 0.22);
    if (InGlyph(x, y)) Over(out, s.glyph, 1.0);
  }
  return out;
}

struct Image {
  int size = 0;
  std::vector<Rgba> pixels;  // top-down
};

Image RenderFull(const Scheme& s, int size) {
  Image image;
  image.size = size;
  image.pixels.resize(size * size);
  const int n = size <= 16 ? 8 : 5;  // samples per axis
  const double px = 1.0 / size;
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          Rgba c = Sample(s, (col + (sx + 0.5) / n) * px, (row + (sy + 0.5) / n) * px, px);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      Rgba& p = image.pixels[row * size + col];
      if (a > 0) {
        p.r = r / a;
        p.g = g / a;
        p.b = b / a;
      }
      p.a = a / (n * n);
    }
  }
  return image;
}

// The 16-colour design: flat fill, rim and glyph, hard edges (sampled at
// pixel centres), as palette indices; -1 is transparent.
std::vector<int> RenderFlat(const Scheme& s, int size) {
  std::vector<int> out(size * size, -1);
  const double px = 1.0 / size;
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      double x = (col + 0.5) * px, y = (row + 0.5) * px;
      double tile = RoundRect(x, y, kTile0, kTile0, kTile1, kTile1, kRadius);
      if (tile >= 0) continue;
      int index = tile > -std::max(px, 0.03) ? s.flatRim : s.flatFill;
      if (InGlyph(x, y)) index = s.flatGlyph;
      out[row * size + col] = index;
    }
  }
  return out;
}

uint8_t Byte(double v) {
  return static_cast<uint8_t>(std::lround(std::min(std::max(v, 0.0), 1.0) * 255));
}

void PutU16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

int RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// An icon image: BITMAPINFOHEADER, palette, colour rows and the AND mask,
// both bottom-up.
std::vector<uint8_t> IconImage(int size, int bits, const std::vector<std::array<uint8_t, 3>>& palette,
                               const std::vector<uint32_t>& values,  // index or BGRA per pixel
                               const std::vector<bool>& transparent) {
  const int colorRow = RowBytes(size, bits), maskRow = RowBytes(size, 1);
  std::vector<uint8_t> b;
  PutU32(b, 40);
  PutU32(b, size);
  PutU32(b, size * 2);
  PutU16(b, 1);
  PutU16(b, bits);
  PutU32(b, 0);
  PutU32(b, (colorRow + maskRow) * size);
  PutU32(b, 0);
  PutU32(b, 0);
  PutU32(b, bits <= 8 ? static_cast<uint32_t>(palette.size()) : 0);
  PutU32(b, 0);
  for (const auto& c : palette) {
    b.push_back(c[2]);
    b.push_back(c[1]);
    b.push_back(c[0]);
    b.push_back(0);
  }
  for (int row = size - 1; row >= 0; --row) {
    std::vector<uint8_t> line(colorRow, 0);
    for (int col = 0; col < size; ++col) {
      uint32_t v = values[row * size + col];
      if (bits == 32) {
        for (int i = 0; i < 4; ++i) line[col * 4 + i] = (v >> (8 * i)) & 0xFF;
      } else if (bits == 8) {
        line[col] = static_cast<uint8_t>(v);
      } else {
        line[col / 2] |= static_cast<uint8_t>((v & 0x0F) << (col % 2 ? 0 : 4));
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  for (int row = size - 1; row >= 0; --row) {
    std::vector<uint8_t> line(maskRow, 0);
    for (int col = 0; col < size; ++col) {
      if (transparent[row * size + col]) line[col / 8] |= static_cast<uint8_t>(0x80 >> (col % 8));
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

std::vector<uint8_t> FullColourImage(const Image& image) {
  std::vector<uint32_t> values(image.pixels.size());
  std::vector<bool> transparent(image.pixels.size());
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const Rgba& p = image.pixels[i];
    uint8_t a = Byte(p.a);
    values[i] = a == 0 ? 0
                       : (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(Byte(p.r)) << 16) |
                             (static_cast<uint32_t>(Byte(p.g)) << 8) | Byte(p.b);
    transparent[i] = a < 128;
  }
  return IconImage(image.size, 32, {}, values, transparent);
}

// 256 colours: the opaque pixels of the full-colour image reduced by median
// cut (index 0 stays black for the transparent pixels).
std::vector<uint8_t> PaletteImage(const Image& image) {
  using Colour = std::array<uint8_t, 3>;
  std::vector<Colour> colours;
  std::vector<bool> transparent(image.pixels.size());
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const Rgba& p = image.pixels[i];
    transparent[i] = p.a < 0.5;
    if (!transparent[i]) colours.push_back({Byte(p.r), Byte(p.g), Byte(p.b)});
  }
  std::vector<std::vector<Colour>> boxes;
  if (!colours.empty()) boxes.push_back(colours);
  while (boxes.size() < 255) {
    int best = -1, bestChannel = 0, bestRange = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      for (int c = 0; c < 3; ++c) {
        auto mm = std::minmax_element(boxes[i].begin(), boxes[i].end(),
                                      [c](const Colour& a, const Colour& b) { return a[c] < b[c]; });
        int range = (*mm.second)[c] - (*mm.first)[c];
        if (range > bestRange) {
          best = static_cast<int>(i);
          bestChannel = c;
          bestRange = range;
        }
      }
    }
    if (best < 0) break;  // every box holds a single colour
    auto& box = boxes[best];
    std::sort(box.begin(), box.end(),
              [bestChannel](const Colour& a, const Colour& b) { return a[bestChannel] < b[bestChannel]; });
    size_t half = box.size() / 2;
    while (half > 0 && box[half - 1][bestChannel] == box[half][bestChannel]) --half;
    if (half == 0) half = box.size() / 2;
    std::vector<Colour> upper(box.begin() + half, box.end());
    box.resize(half);
    boxes.push_back(upper);
  }
  std::vector<Colour> palette(256, Colour{0, 0, 0});
  for (size_t i = 0; i < boxes.size(); ++i) {
    long sum[3] = {0, 0, 0};
    for (const auto& c : boxes[i]) {
      for (int k = 0; k < 3; ++k) sum[k] += c[k];
    }
    for (int k = 0; k < 3; ++k) {
      palette[i + 1][k] = static_cast<uint8_t>((sum[k] + boxes[i].size() / 2) / boxes[i].size());
    }
  }
  std::vector<uint32_t> values(image.pixels.size(), 0);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    if (transparent[i]) continue;
    const Rgba& p = image.pixels[i];
    int r = Byte(p.r), g = Byte(p.g), b = Byte(p.b);
    long bestDistance = -1;
    for (size_t k = 1; k <= boxes.size(); ++k) {
      long dr = r - palette[k][0], dg = g - palette[k][1], db = b - palette[k][2];
      long d = dr * dr + dg * dg + db * db;
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        values[i] = static_cast<uint32_t>(k);
      }
    }
  }
  return IconImage(image.size, 8, palette, values, transparent);
}

std::vector<uint8_t> SixteenColourImage(const Scheme& s, int size) {
  std::vector<int> flat = RenderFlat(s, size);
  std::vector<uint32_t> values(flat.size());
  std::vector<bool> transparent(flat.size());
  for (size_t i = 0; i < flat.size(); ++i) {
    transparent[i] = flat[i] < 0;
    values[i] = flat[i] < 0 ? 0 : static_cast<uint32_t>(flat[i]);
  }
  std::vector<std::array<uint8_t, 3>> palette(kVgaPalette.begin(), kVgaPalette.end());
  return IconImage(size, 4, palette, values, transparent);
}

struct Entry {
  int size, bits;
  std::vector<uint8_t> data;
};

bool WriteIco(const std::string& path, const std::vector<Entry>& entries) {
  std::vector<uint8_t> b;
  PutU16(b, 0);
  PutU16(b, 1);
  PutU16(b, static_cast<uint16_t>(entries.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
  for (const Entry& e : entries) {
    b.push_back(static_cast<uint8_t>(e.size));
    b.push_back(static_cast<uint8_t>(e.size));
    b.push_back(e.bits == 4 ? 16 : 0);
    b.push_back(0);
    PutU16(b, 1);
    PutU16(b, static_cast<uint16_t>(e.bits));
    PutU32(b, static_cast<uint32_t>(e.data.size()));
    PutU32(b, offset);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const Entry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  const int sizes[] = {48, 32, 16};
  for (const Scheme& s : kSchemes) {
    std::vector<Entry> entries;
    std::vector<Image> full;
    for (int size : sizes) full.push_back(RenderFull(s, size));
    for (size_t i = 0; i < full.size(); ++i) entries.push_back({sizes[i], 32, FullColourImage(full[i])});
    for (size_t i = 0; i < full.size(); ++i) entries.push_back({sizes[i], 8, PaletteImage(full[i])});
    for (int size : sizes) entries.push_back({size, 4, SixteenColourImage(s, size)});
    std::string path = folder + "/" + s.name + ".ico";
    if (!WriteIco(path, entries)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
