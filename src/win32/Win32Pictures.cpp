#include "win32/Win32Pictures.h"

#include "ResourceNames.h"
#include "forms/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velt {

namespace {

constexpr BYTE kFace = 192;
constexpr BYTE kNearlyWhite = 224;

// A picture's pixels as 0x00RRGGBB, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

// Any picture the resources hold (8-bit with a palette, or true colour) read as 32-bit pixels.
// The header of an uncompressed picture stored top row first.
BITMAPINFO TopDownInfo(int width, int height, WORD bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool ReadPixels(HBITMAP bitmap, Pixels& out) {
    BITMAP shape{};
    if (GetObjectA(bitmap, sizeof shape, &shape) == 0 || shape.bmWidth <= 0 ||
        shape.bmHeight <= 0) {
        return false;
    }
    out.width = shape.bmWidth;
    out.height = shape.bmHeight;
    out.rgb.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
    BITMAPINFO info = TopDownInfo(out.width, out.height, 32);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(out.height), out.rgb.data(),
                               &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& c : out.rgb) {
        c &= 0xFFFFFF; // the fourth byte is unused
    }
    return rows == out.height;
}

// A 24-bit picture, as the resources' own: a 32-bit one could be taken for one with an alpha
// channel by the buttons' drawing.
HBITMAP MakeBitmap(const Pixels& pixels) {
    BITMAPINFO info = TopDownInfo(pixels.width, pixels.height, 24);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    const std::size_t stride = (static_cast<std::size_t>(pixels.width) * 3 + 3) & ~std::size_t{3};
    auto* rows = static_cast<BYTE*>(bits);
    for (int y = 0; y < pixels.height; ++y) {
        BYTE* pixel = rows + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < pixels.width; ++x, pixel += 3) {
            const std::uint32_t c = pixels.rgb[static_cast<std::size_t>(y * pixels.width + x)];
            pixel[0] = static_cast<BYTE>(c & 0xFF); // stored blue, green, red
            pixel[1] = static_cast<BYTE>((c >> 8) & 0xFF);
            pixel[2] = static_cast<BYTE>((c >> 16) & 0xFF);
        }
    }
    return bitmap;
}

// Each target pixel is the average of the source area it covers (partly covered source pixels
// by their share): a smooth reduction without the blur or the jagged edges of a stretch.
Pixels Resample(const Pixels& from, int width, int height) {
    Pixels to{width, height,
              std::vector<std::uint32_t>(static_cast<std::size_t>(width) *
                                         static_cast<std::size_t>(height))};
    const double sx = static_cast<double>(from.width) / width;
    const double sy = static_cast<double>(from.height) / height;
    for (int y = 0; y < height; ++y) {
        const double y0 = y * sy;
        const double y1 = y0 + sy;
        for (int x = 0; x < width; ++x) {
            const double x0 = x * sx;
            const double x1 = x0 + sx;
            double sum[3] = {0, 0, 0};
            double area = 0;
            for (int v = static_cast<int>(y0); v < from.height && v < y1; ++v) {
                const double wy = (v + 1 < y1 ? v + 1 : y1) - (v > y0 ? v : y0);
                for (int u = static_cast<int>(x0); u < from.width && u < x1; ++u) {
                    const double w = wy * ((u + 1 < x1 ? u + 1 : x1) - (u > x0 ? u : x0));
                    const std::uint32_t c = from.rgb[static_cast<std::size_t>(v * from.width + u)];
                    sum[0] += w * ((c >> 16) & 0xFF);
                    sum[1] += w * ((c >> 8) & 0xFF);
                    sum[2] += w * (c & 0xFF);
                    area += w;
                }
            }
            std::uint32_t c = 0;
            for (const double channel : sum) {
                c = (c << 8) | static_cast<std::uint32_t>(area > 0 ? channel / area + 0.5 : 0);
            }
            to.rgb[static_cast<std::size_t>(y * width + x)] = c;
        }
    }
    return to;
}

void ReplaceFace(Pixels& pixels, COLORREF background) {
    const std::uint32_t face = (kFace << 16) | (kFace << 8) | kFace;
    const std::uint32_t with = (static_cast<std::uint32_t>(GetRValue(background)) << 16) |
                               (static_cast<std::uint32_t>(GetGValue(background)) << 8) |
                               GetBValue(background);
    for (std::uint32_t& c : pixels.rgb) {
        if (c == face) {
            c = with;
        }
    }
}

void WhitenNearlyWhite(Pixels& pixels) {
    for (std::uint32_t& c : pixels.rgb) {
        if (((c >> 16) & 0xFF) >= kNearlyWhite && ((c >> 8) & 0xFF) >= kNearlyWhite &&
            (c & 0xFF) >= kNearlyWhite) {
            c = 0xFFFFFF;
        }
    }
}

HBITMAP LoadDib(HINSTANCE instance, const std::string& name) {
    return static_cast<HBITMAP>(
        LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

} // namespace

HBITMAP LoadButtonPicture(HINSTANCE instance, const std::string& name, COLORREF background,
                          int dpi) {
    const bool scaled = dpi != kLayoutDpi;
    HBITMAP small = LoadDib(instance, name);
    HBITMAP large = scaled ? LoadDib(instance, name + res::kPicture2xSuffix) : nullptr;
    Pixels pixels;
    Pixels drawing;
    const bool read = small != nullptr && ReadPixels(small, pixels) &&
                      (large == nullptr || ReadPixels(large, drawing));
    if (small != nullptr) {
        DeleteObject(small);
    }
    if (large != nullptr) {
        DeleteObject(large);
    }
    if (!read) {
        return nullptr;
    }
    if (large != nullptr) {
        ReplaceFace(drawing, background);
        const int width = ScaleToDpi(pixels.width, dpi);
        const int height = ScaleToDpi(pixels.height, dpi);
        pixels = width == drawing.width && height == drawing.height
                     ? drawing
                     : Resample(drawing, width, height);
        if (background == RGB(255, 255, 255)) {
            WhitenNearlyWhite(pixels);
        }
    } else {
        ReplaceFace(pixels, background);
    }
    return MakeBitmap(pixels);
}

HICON LoadIconSized(HINSTANCE instance, const std::string& name, int size) {
    auto icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, size, size, 0));
    if (icon == nullptr) {
        constexpr int kReadableEverywhere = 32;
        icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON,
                                             kReadableEverywhere, kReadableEverywhere, 0));
    }
    return icon;
}

} // namespace velt
