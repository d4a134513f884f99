// The pictures, button glyphs, icon and version compiled into the program
// have the sizes, depths and colours the windows that use them rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <type_traits>

namespace {

struct StoredBitmap {
    const BITMAPINFOHEADER* header = nullptr;
    const RGBQUAD* palette = nullptr;
    const uint8_t* bits = nullptr;  // bottom row first
};

StoredBitmap FindBitmap(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (!res) return {};
    auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, res)));
    if (!header) return {};
    StoredBitmap b;
    b.header = header;
    b.palette = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(header) + header->biSize);
    const DWORD colours = header->biClrUsed ? header->biClrUsed : (1u << header->biBitCount);
    b.bits = reinterpret_cast<const uint8_t*>(b.palette + colours);
    return b;
}

// Palette index of pixel (x, y), y counted from the top, in a 4-bit bitmap.
int Pixel4(const StoredBitmap& b, int x, int y) {
    const int stride = ((b.header->biWidth * 4 + 31) / 32) * 4;
    const uint8_t byte = b.bits[(b.header->biHeight - 1 - y) * stride + x / 2];
    return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

COLORREF PaletteColour(const StoredBitmap& b, int index) {
    const RGBQUAD q = b.palette[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

struct BitmapCase {
    const wchar_t* name;
    LONG width;
    LONG height;
    WORD bits;
};

const BitmapCase kBitmaps[] = {
    {L"IMAGE1", 393, 400, 8},    {L"IMAGE2", 223, 58, 4},     {L"BBCOK", 36, 18, 4},
    {L"BBCCANCEL", 36, 18, 4},   {L"BBCHELP", 36, 18, 4},     {L"BBCYES", 36, 18, 4},
    {L"BBCNO", 36, 18, 4},       {L"BBCCLOSE", 36, 18, 4},    {L"BBCABORT", 36, 18, 4},
    {L"BBCRETRY", 36, 18, 4},    {L"BBCIGNORE", 36, 18, 4},   {L"BBCALL", 36, 19, 4},
};

std::string Narrow(const wchar_t* name) {
    std::string s;
    for (; *name; ++name) s += char(*name);
    return s;
}

struct BitmapDeleter {
    void operator()(HBITMAP b) const { DeleteObject(b); }
};
using BitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

TEST(ProgramResources, BitmapsHaveTheirSizesAndDepths) {
    for (const BitmapCase& c : kBitmaps) {
        SCOPED_TRACE(Narrow(c.name));
        const StoredBitmap stored = FindBitmap(c.name);
        ASSERT_NE(stored.header, nullptr);
        EXPECT_EQ(stored.header->biWidth, c.width);
        EXPECT_EQ(stored.header->biHeight, c.height);
        EXPECT_EQ(stored.header->biBitCount, c.bits);
        EXPECT_EQ(stored.header->biCompression, DWORD(BI_RGB));

        // The system loads it with the same shape and depth.
        BitmapHandle loaded(static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), c.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        ASSERT_TRUE(loaded);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(loaded.get(), sizeof dib, &dib), int(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, c.width);
        EXPECT_EQ(dib.dsBm.bmHeight, c.height);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, c.bits);
    }
}

// The button takes the bottom-left pixel's colour as transparent, and turns
// only white and grey of a disabled cell into system colours.
TEST(ProgramResources, GlyphsAreOliveBackedWithAWhiteAndGreyDisabledCell) {
    for (const BitmapCase& c : kBitmaps) {
        if (std::wcsncmp(c.name, L"BBC", 3) != 0) continue;
        SCOPED_TRACE(Narrow(c.name));
        const StoredBitmap b = FindBitmap(c.name);
        ASSERT_NE(b.header, nullptr);
        EXPECT_EQ(PaletteColour(b, Pixel4(b, 0, c.height - 1)), RGB(128, 128, 0));

        std::set<COLORREF> upColours, disabledColours;
        const int cell = c.width / 2;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < cell; ++x) {
                upColours.insert(PaletteColour(b, Pixel4(b, x, y)));
                disabledColours.insert(PaletteColour(b, Pixel4(b, cell + x, y)));
            }
        const std::set<COLORREF> allowed{RGB(128, 128, 0), RGB(255, 255, 255), RGB(128, 128, 128)};
        for (COLORREF colour : disabledColours) EXPECT_TRUE(allowed.count(colour)) << std::hex << colour;
        EXPECT_EQ(disabledColours.size(), 3u);
        EXPECT_GE(upColours.size(), 3u);  // a picture, not a blank cell
    }
}

TEST(ProgramResources, BannerIsWhiteLetteringOnDarkBlue) {
    const StoredBitmap b = FindBitmap(L"IMAGE2");
    ASSERT_NE(b.header, nullptr);
    int white = 0, darkBlue = 0;
    for (int y = 0; y < 58; ++y)
        for (int x = 0; x < 223; ++x) {
            const COLORREF c = PaletteColour(b, Pixel4(b, x, y));
            if (c == RGB(255, 255, 255)) ++white;
            if (GetBValue(c) >= 64 && GetRValue(c) < 32 && GetGValue(c) < 64) ++darkBlue;
        }
    EXPECT_GT(white, 300);
    EXPECT_GT(darkBlue, 223 * 58 / 2);
}

TEST(ProgramResources, IconAndVersionArePresent) {
    HMODULE module = GetModuleHandleW(nullptr);
    EXPECT_NE(FindResourceW(module, L"MAINICON", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);

    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    ASSERT_NE(res, nullptr);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, res)));
    const DWORD size = SizeofResource(module, res);
    ASSERT_NE(data, nullptr);
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
        DWORD signature;
        std::memcpy(&signature, data + i, sizeof signature);
        if (signature == VS_FFI_SIGNATURE) {
            fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + i);
            break;
        }
    }
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(2, 0)));  // 0.2
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(2, 0)));
    EXPECT_EQ(fixed->dwFileOS, DWORD(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

} // namespace
