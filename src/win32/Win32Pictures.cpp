#include "win32/Win32Pictures.h"

#include "ResourceNames.h"
#include "forms/Geometry.h"

#include <cstddef>
#include <cstring>
#include <cstdint>
#include <vector>

namespace velt {

namespace {

constexpr BYTE kNearlyWhite = 224;

// A picture's pixels as 0x00RRGGBB, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

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

// Where a stored picture's pixels begin after its header and palette, or 0 when the header does
// not describe a picture of a button's size whose pixels lie inside the resource.
std::size_t PixelsOffset(const BITMAPINFOHEADER& header, std::size_t size) {
    constexpr LONG kMaxSide = 1024;
    if (header.biSize < sizeof header || header.biSize > size || header.biPlanes != 1 ||
        header.biWidth <= 0 || header.biWidth > kMaxSide || header.biHeight <= 0 ||
        header.biHeight > kMaxSide) {
        return 0;
    }
    const bool paletted =
        header.biBitCount == 8 || header.biBitCount == 4 || header.biBitCount == 1;
    const bool plain = header.biCompression == BI_RGB &&
                       (paletted || header.biBitCount == 24 || header.biBitCount == 32);
    const bool packed = header.biCompression == BI_RLE8 && header.biBitCount == 8;
    const DWORD colours =
        header.biClrUsed != 0 ? header.biClrUsed : (paletted ? 1U << header.biBitCount : 0);
    if (!(plain || packed) || colours > 256) {
        return 0;
    }
    const std::size_t offset = header.biSize + std::size_t{colours} * sizeof(RGBQUAD);
    const std::size_t stride =
        ((static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    const std::size_t length =
        packed ? header.biSizeImage : stride * static_cast<std::size_t>(header.biHeight);
    return length != 0 && offset < size && length <= size - offset ? offset : 0;
}

// A picture of the resources (8-bit with a palette, plain or run-length encoded, or true
// colour) read as 32-bit pixels: the system draws it into a 32-bit picture held here.
bool ReadPicture(HINSTANCE instance, const std::string& name, Pixels& out) {
    HRSRC found = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2)); // RT_BITMAP
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* stored =
        static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const std::size_t size = found != nullptr ? SizeofResource(instance, found) : 0;
    BITMAPINFOHEADER header{};
    if (stored == nullptr || size < sizeof header) {
        return false;
    }
    std::memcpy(&header, stored, sizeof header);
    const std::size_t offset = PixelsOffset(header, size);
    if (offset == 0) {
        return false;
    }
    out.width = header.biWidth;
    out.height = header.biHeight;
    BITMAPINFO info = TopDownInfo(out.width, out.height, 32);
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (picture == nullptr) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    const int rows = SetDIBits(screen, picture, 0, static_cast<UINT>(out.height), stored + offset,
                               reinterpret_cast<const BITMAPINFO*>(stored), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    GdiFlush(); // the drawing is finished before its pixels are read
    const auto* first = static_cast<const std::uint32_t*>(bits);
    out.rgb.assign(first, first + static_cast<std::size_t>(out.width) *
                                      static_cast<std::size_t>(out.height));
    DeleteObject(picture);
    for (std::uint32_t& c : out.rgb) {
        c &= 0xFFFFFF; // the fourth byte is unused
    }
    return rows != 0;
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

void MapColours(Pixels& pixels, bool enabled, const PictureTheme& theme) {
    for (std::uint32_t& c : pixels.rgb) {
        c = PictureColour(c, enabled, theme);
    }
}

std::uint32_t Rgb(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

void WhitenNearlyWhite(Pixels& pixels) {
    for (std::uint32_t& c : pixels.rgb) {
        if (((c >> 16) & 0xFF) >= kNearlyWhite && ((c >> 8) & 0xFF) >= kNearlyWhite &&
            (c & 0xFF) >= kNearlyWhite) {
            c = 0xFFFFFF;
        }
    }
}

} // namespace

PictureTheme CurrentPictureTheme() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    PictureTheme theme;
    theme.highContrast =
        SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    theme.face = Rgb(GetSysColor(COLOR_BTNFACE));
    theme.text = Rgb(GetSysColor(COLOR_BTNTEXT));
    theme.grayText = Rgb(GetSysColor(COLOR_GRAYTEXT));
    return theme;
}

HBITMAP LoadButtonPicture(HINSTANCE instance, const std::string& name, bool enabled,
                          const PictureTheme& theme, int dpi) {
    const bool scaled = dpi != kLayoutDpi;
    Pixels pixels;
    Pixels drawing;
    if (!ReadPicture(instance, name, pixels) ||
        (scaled && !ReadPicture(instance, name + res::kPicture2xSuffix, drawing))) {
        return nullptr;
    }
    if (scaled) {
        MapColours(drawing, enabled, theme);
        const int width = ScaleToDpi(pixels.width, dpi);
        const int height = ScaleToDpi(pixels.height, dpi);
        pixels = width == drawing.width && height == drawing.height
                     ? drawing
                     : Resample(drawing, width, height);
        if (!enabled && !theme.highContrast) {
            WhitenNearlyWhite(pixels);
        }
    } else {
        MapColours(pixels, enabled, theme);
    }
    return MakeBitmap(pixels);
}

HICON LoadIconSized(HINSTANCE instance, const std::string& name, int size) {
    auto icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, size, size, 0));
    // Where the system cannot read that size (a PNG image before Vista), the nearest of the
    // sizes every icon stores readably for every Windows: the main icon's 32 pixels, or the
    // 16 pixels that the tray icons keep as their only such image.
    for (const int readable : {32, 16}) {
        if (icon == nullptr && readable != size) {
            icon = static_cast<HICON>(
                LoadImageA(instance, name.c_str(), IMAGE_ICON, readable, readable, 0));
        }
    }
    return icon;
}

} // namespace velt
