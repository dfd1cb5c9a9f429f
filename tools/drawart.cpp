// drawart OUTDIR: draws the setup wizard's pictures and the program icon.
//
//   Logo.bmp       120 x 260, 24-bit, left panel of the welcome page
//   LogoSmall.bmp   34 x 34,  24-bit, emblem for the top banner (on white)
//   Setup.ico      256/48/32/16 px, 32 bpp: the 256 px image as PNG, the
//                  others as BGRA DIB entries with AND masks
//
// Everything is computed from geometry, so the output is byte-for-byte the
// same on every run and nothing binary has to live in the repository.
// Each pixel averages a grid of point samples of the whole scene, which
// anti-aliases every edge, including where shapes overlap.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

namespace {

struct Vec {
  double x, y;
};

// Premultiplied colour, components in 0..1.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

Rgba Solid(uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xff) / 255.0 * alpha, ((rgb >> 8) & 0xff) / 255.0 * alpha,
          (rgb & 0xff) / 255.0 * alpha, alpha};
}

Rgba Mix(const Rgba &p, const Rgba &q, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
          p.a + (q.a - p.a) * t};
}

// Paints src over dst.
void Over(Rgba &dst, const Rgba &src) {
  const double k = 1.0 - src.a;
  dst = {src.r + dst.r * k, src.g + dst.g * k, src.b + dst.b * k, src.a + dst.a * k};
}

// Palette: the flag's blue and yellow, plus shades for depth.
const uint32_t kBlueLight = 0x2C8FD8;
const uint32_t kBlue = 0x006AA7;
const uint32_t kBlueDeep = 0x004677;
const uint32_t kNavy = 0x0B2F52;
const uint32_t kYellow = 0xFECC02;
const uint32_t kPaper = 0xFFFFFF;
const uint32_t kPaperShade = 0xD5E3F0;
const uint32_t kInk = 0xA9C4DE;

// ---- geometry -------------------------------------------------------------

// A polygon or polyline with its bounding box, so most samples skip it cheaply.
struct Path {
  std::vector<Vec> pts;
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;

  Path() = default;
  explicit Path(std::vector<Vec> v) : pts(std::move(v)) {
    for (const Vec &q : pts) {
      x0 = std::min(x0, q.x), y0 = std::min(y0, q.y);
      x1 = std::max(x1, q.x), y1 = std::max(y1, q.y);
    }
  }
  bool Near(Vec p, double pad) const {
    return p.x >= x0 - pad && p.x <= x1 + pad && p.y >= y0 - pad && p.y <= y1 + pad;
  }

  // Even-odd fill.
  bool Contains(Vec p) const {
    if (!Near(p, 0)) return false;
    bool in = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const Vec &a = pts[i], &b = pts[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
        in = !in;
    }
    return in;
  }

  // Round-capped, round-joined stroke along the points.
  bool OnStroke(Vec p, double width) const {
    if (!Near(p, width / 2)) return false;
    for (size_t i = 1; i < pts.size(); ++i)
      if (SegmentDistance(p, pts[i - 1], pts[i]) <= width / 2) return true;
    return false;
  }

  static double SegmentDistance(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  }
};

std::vector<Vec> Quad(Vec p0, Vec c, Vec p1, int steps = 24) {
  std::vector<Vec> pts;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps, u = 1 - t;
    pts.push_back({u * u * p0.x + 2 * u * t * c.x + t * t * p1.x,
                   u * u * p0.y + 2 * u * t * c.y + t * t * p1.y});
  }
  return pts;
}

Vec Along(const std::vector<Vec> &pts, double s) {
  const double f = s * (pts.size() - 1);
  const size_t i = std::min(static_cast<size_t>(f), pts.size() - 2);
  const double t = f - i;
  return {pts[i].x + (pts[i + 1].x - pts[i].x) * t, pts[i].y + (pts[i + 1].y - pts[i].y) * t};
}

std::vector<Vec> MirrorX(std::vector<Vec> pts) {
  for (Vec &v : pts) v.x = 1.0 - v.x;
  return pts;
}

void Append(std::vector<Vec> &to, const std::vector<Vec> &from, bool reversed = false) {
  if (reversed)
    to.insert(to.end(), from.rbegin(), from.rend());
  else
    to.insert(to.end(), from.begin(), from.end());
}

bool InRoundRect(Vec p, double x0, double y0, double x1, double y1, double r) {
  const double qx = std::max({x0 + r - p.x, p.x - (x1 - r), 0.0});
  const double qy = std::max({y0 + r - p.y, p.y - (y1 - r), 0.0});
  return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1 && qx * qx + qy * qy <= r * r;
}

bool InCircle(Vec p, Vec c, double r) { return std::hypot(p.x - c.x, p.y - c.y) <= r; }

// ---- the emblem: an open book with a check mark badge ---------------------
// Drawn in a unit square, y down. Small sizes get their own proportions:
// at 16 px a thin ring or fine page lines only turn into grey mush.

struct Style {
  bool text_lines;    // ruled lines on the pages
  double badge_r;     // yellow disc
  double ring;        // navy ring around it
  double check;       // stroke width of the check mark
  Vec badge;
};

const Style kLarge{true, 0.205, 0.035, 0.062, {0.715, 0.705}};
const Style kMedium{false, 0.225, 0.04, 0.085, {0.71, 0.70}};
const Style kTiny{false, 0.27, 0.0, 0.12, {0.70, 0.69}};

struct Emblem {
  Style style;
  Path left_page, right_page, cover, shadow, check;
  std::vector<Path> text_lines;

  explicit Emblem(const Style &s) : style(s) {
    // Page edges: high and flat at the outer corners, dipping into the
    // spine, as a book lying open does.
    const Vec spine_top{0.5, 0.345}, spine_bottom{0.5, 0.735};
    const Vec outer_top{0.115, 0.265}, outer_bottom{0.115, 0.655};
    const Vec top_ctrl{0.36, 0.225}, bottom_ctrl{0.36, 0.615};
    const std::vector<Vec> top = Quad(outer_top, top_ctrl, spine_top);
    const std::vector<Vec> bottom = Quad(outer_bottom, bottom_ctrl, spine_bottom);
    std::vector<Vec> page = top;
    Append(page, bottom, true);
    left_page = Path(page);
    right_page = Path(MirrorX(page));

    // Cover: one outline around both pages, peeking out below and beside.
    const std::vector<Vec> cover_top = Quad({0.085, 0.30}, {0.36, 0.26}, {0.5, 0.38});
    const std::vector<Vec> cover_bottom = Quad({0.085, 0.70}, {0.35, 0.665}, {0.5, 0.785});
    std::vector<Vec> outline = cover_top;
    Append(outline, MirrorX(cover_top), true);
    Append(outline, MirrorX(cover_bottom));
    Append(outline, cover_bottom, true);
    cover = Path(outline);
    for (Vec &v : outline) v.y += 0.035;
    shadow = Path(outline);

    // Lines of "text" follow the page curvature.
    for (double t : {0.25, 0.40, 0.55, 0.70}) {
      std::vector<Vec> line;
      for (int i = 0; i <= 16; ++i) {
        const Vec a = Along(top, 0.14 + 0.70 * i / 16.0);
        const Vec b = Along(bottom, 0.14 + 0.70 * i / 16.0);
        line.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
      }
      text_lines.emplace_back(line);
      text_lines.emplace_back(MirrorX(line));
    }

    const double k = s.badge_r / 0.205;
    const Vec c = s.badge;
    check = Path({{c.x - 0.098 * k, c.y + 0.002 * k},
                  {c.x - 0.030 * k, c.y + 0.070 * k},
                  {c.x + 0.095 * k, c.y - 0.068 * k}});
  }

  // Paints the book and badge at unit-square point p over dst.
  void Paint(Rgba &dst, Vec p) const {
    if (shadow.Contains(p)) Over(dst, Solid(kNavy, 0.28));
    if (cover.Contains(p)) Over(dst, Solid(kNavy));
    if (left_page.Contains(p) || right_page.Contains(p)) {
      // Paper darkens towards the spine.
      const double near_spine = 1.0 - std::min(1.0, std::fabs(p.x - 0.5) / 0.22);
      Over(dst, Mix(Solid(kPaper), Solid(kPaperShade), near_spine * near_spine));
    }
    if (style.text_lines)
      for (const Path &line : text_lines)
        if (line.OnStroke(p, 0.022)) Over(dst, Solid(kInk));
    if (style.ring > 0 && InCircle(p, style.badge, style.badge_r + style.ring))
      Over(dst, Solid(kNavy));
    if (InCircle(p, style.badge, style.badge_r)) {
      const double t = (p.y - (style.badge.y - style.badge_r)) / (2 * style.badge_r);
      Over(dst, Mix(Solid(0xFFDD4A), Solid(0xF2B800), t));
    }
    if (check.OnStroke(p, style.check)) Over(dst, Solid(kBlueDeep));
  }
};

// The icon's tile: a rounded square in the flag's blue, lit from the top.
Rgba Tile(Vec p, double margin, double border) {
  Rgba c;
  const double lo = margin, hi = 1 - margin;
  if (!InRoundRect(p, lo, lo, hi, hi, 0.19)) return c;
  Over(c, Solid(kBlueDeep));
  if (InRoundRect(p, lo + border, lo + border, hi - border, hi - border, 0.19 - border))
    Over(c, Mix(Solid(kBlueLight), Solid(kBlue), (p.y - lo) / (hi - lo)));
  return c;
}

// ---- raster ----------------------------------------------------------------

struct Image {
  int w, h;
  std::vector<Rgba> px;  // top row first
};

Image Render(int w, int h, int grid, const std::function<Rgba(Vec)> &scene) {
  Image img{w, h, std::vector<Rgba>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgba sum;
      for (int sy = 0; sy < grid; ++sy)
        for (int sx = 0; sx < grid; ++sx) {
          const Rgba c = scene({x + (sx + 0.5) / grid, y + (sy + 0.5) / grid});
          sum.r += c.r, sum.g += c.g, sum.b += c.b, sum.a += c.a;
        }
      const double n = grid * grid;
      img.px[static_cast<size_t>(y) * w + x] = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
    }
  return img;
}

uint8_t Byte(double v) {
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

// Straight (not premultiplied) 8-bit channels, as icons and PNG store them.
struct Straight {
  uint8_t r, g, b, a;
};

Straight Unpremultiply(const Rgba &c) {
  const uint8_t a = Byte(c.a);
  if (!a) return {0, 0, 0, 0};
  const double k = 1.0 / c.a;
  return {Byte(c.r * k), Byte(c.g * k), Byte(c.b * k), a};
}

void Put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(v & 0xff);
  out.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<uint8_t> &out, uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t> &out, int w, int h, int bpp, uint32_t image_bytes,
                   uint32_t ppm) {
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<uint32_t>(w));
  Put32(out, static_cast<uint32_t>(h));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint32_t>(bpp));
  Put32(out, 0);  // BI_RGB
  Put32(out, image_bytes);
  Put32(out, ppm);
  Put32(out, ppm);
  Put32(out, 0);  // palette size
  Put32(out, 0);  // important colours
}

// 24-bit bottom-up BMP; the image is flattened onto `background`.
std::vector<uint8_t> Bmp24(const Image &img, uint32_t background) {
  const uint32_t stride = (static_cast<uint32_t>(img.w) * 3 + 3) & ~3u;
  const uint32_t image_bytes = stride * img.h;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + image_bytes);
  Put32(out, 0);
  Put32(out, 14 + 40);
  PutInfoHeader(out, img.w, img.h, 24, image_bytes, 2835);  // 72 dpi
  for (int y = img.h - 1; y >= 0; --y) {
    const size_t row_start = out.size();
    for (int x = 0; x < img.w; ++x) {
      Rgba c = Solid(background);
      Over(c, img.px[static_cast<size_t>(y) * img.w + x]);
      out.push_back(Byte(c.b));
      out.push_back(Byte(c.g));
      out.push_back(Byte(c.r));
    }
    while (out.size() - row_start < stride) out.push_back(0);
  }
  return out;
}

// DIB as stored inside an .ico: height doubled, straight (not premultiplied)
// BGRA bottom-up, then a 1-bpp AND mask for viewers that ignore alpha.
std::vector<uint8_t> IconDib(const Image &img) {
  const uint32_t mask_stride = ((static_cast<uint32_t>(img.w) + 31) / 32) * 4;
  const uint32_t xor_bytes = static_cast<uint32_t>(img.w) * img.h * 4;
  const uint32_t and_bytes = mask_stride * img.h;
  std::vector<uint8_t> out;
  PutInfoHeader(out, img.w, img.h * 2, 32, xor_bytes + and_bytes, 0);
  for (int y = img.h - 1; y >= 0; --y)
    for (int x = 0; x < img.w; ++x) {
      const Straight c = Unpremultiply(img.px[static_cast<size_t>(y) * img.w + x]);
      out.insert(out.end(), {c.b, c.g, c.r, c.a});
    }
  for (int y = img.h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(mask_stride, 0);
    for (int x = 0; x < img.w; ++x)
      if (img.px[static_cast<size_t>(y) * img.w + x].a < 0.5) row[x / 8] |= 0x80 >> (x % 8);
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

void PutBE32(std::vector<uint8_t> &out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((v >> shift) & 0xff);
}

void PngChunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  PutBE32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBE32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// PNG (straight RGBA, 8 bits a channel), as icons keep their 256 px image:
// a tenth of the size of the same image as a DIB.
std::vector<uint8_t> Png(const Image &img) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < img.h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < img.w; ++x) {
      const Straight c = Unpremultiply(img.px[static_cast<size_t>(y) * img.w + x]);
      raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packed_size);
  compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(packed_size);
  std::vector<uint8_t> header;
  PutBE32(header, static_cast<uint32_t>(img.w));
  PutBE32(header, static_cast<uint32_t>(img.h));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, deflate, no interlace
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  PngChunk(out, "IHDR", header);
  PngChunk(out, "IDAT", packed);
  PngChunk(out, "IEND", {});
  return out;
}

std::vector<uint8_t> Ico(const std::vector<Image> &images) {
  std::vector<std::vector<uint8_t>> dibs;
  for (const Image &img : images) dibs.push_back(img.w >= 256 ? Png(img) : IconDib(img));
  std::vector<uint8_t> out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<uint8_t>(images[i].w & 0xff));  // 256 is stored as 0
    out.push_back(static_cast<uint8_t>(images[i].h & 0xff));
    out.push_back(0);  // colour count
    out.push_back(0);  // reserved
    Put16(out, 1);     // planes
    Put16(out, 32);    // bits per pixel
    Put32(out, static_cast<uint32_t>(dibs[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(dibs[i].size());
  }
  for (const auto &dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

// ---- the three pictures ---------------------------------------------------

Image DrawIcon(int size) {
  const Emblem emblem(size >= 48 ? kLarge : size >= 24 ? kMedium : kTiny);
  // Below 24 px the tile fills the square: a half-pixel margin and border
  // would only blur its edge.
  const bool tiny = size < 24;
  const double margin = tiny ? 0.0 : 0.03, border = tiny ? 0.0 : 0.015;
  const double inset = tiny ? 0.94 : 0.88;  // emblem size within the tile
  return Render(size, size, size <= 48 ? 16 : 6, [&](Vec p) {
    const Vec u{p.x / size, p.y / size};
    Rgba c = Tile(u, margin, border);
    emblem.Paint(c, {(u.x - 0.5) / inset + 0.5, (u.y - 0.5) / inset + 0.5});
    return c;
  });
}

Image DrawPanel() {
  const int w = 120, h = 260;
  const Emblem emblem(kLarge);
  const Vec centre{60, 100};
  const double scale = 104;  // emblem size in pixels
  return Render(w, h, 8, [&](Vec p) {
    Rgba c = Mix(Solid(0x1978BE), Solid(0x003A66), p.y / h);
    // Soft light behind the emblem.
    const double d = std::hypot(p.x - centre.x, (p.y - centre.y) * 0.9) / 95.0;
    Over(c, Solid(0x5FB2EA, 0.45 * std::max(0.0, 1.0 - d * d)));
    // The flag's cross, offset towards the hoist, rising out of the
    // bottom edge and fading out before it reaches the emblem.
    const bool cross = (p.x >= 36 && p.x < 44) || (p.y >= 214 && p.y < 222);
    const double rise = std::clamp((p.y - 170) / 60.0, 0.0, 1.0);
    if (cross && rise > 0) Over(c, Solid(kYellow, 0.9 * rise));
    emblem.Paint(c, {(p.x - centre.x) / scale + 0.5, (p.y - centre.y) / scale + 0.5});
    return c;
  });
}

bool Write(const std::string &path, const std::vector<uint8_t> &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  std::vector<Image> icons;
  for (int size : {256, 48, 32, 16}) icons.push_back(DrawIcon(size));
  const bool ok = Write(dir + "Logo.bmp", Bmp24(DrawPanel(), 0xFFFFFF)) &&
                  Write(dir + "LogoSmall.bmp", Bmp24(DrawIcon(34), 0xFFFFFF)) &&
                  Write(dir + "Setup.ico", Ico(icons));
  return ok ? 0 : 1;
}
