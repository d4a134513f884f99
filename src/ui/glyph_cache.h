// Shared storage of composed glyph images. Images of one size live in one
// image list; all buttons draw from the same lists, so painting never
// composes an image twice.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

namespace velt {

// An image list of one cell size whose freed slots are reused.
class TGlyphList {
public:
    TGlyphList(int width, int height);
    ~TGlyphList();
    TGlyphList(const TGlyphList&) = delete;
    TGlyphList& operator=(const TGlyphList&) = delete;

    // Copies `image` (width x height) into a free slot; returns its index.
    int Add(HBITMAP image);
    void Delete(int index);
    void Draw(int index, HDC dc, int x, int y) const;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return count_; }  // slots in use
    HIMAGELIST Handle() const { return list_; }

private:
    HIMAGELIST list_;
    int width_;
    int height_;
    int count_ = 0;
    std::vector<bool> used_;
};

// The process's glyph lists, one per cell size.
class TGlyphCache {
public:
    TGlyphCache() = default;
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    // The list for this size, made on first request.
    TGlyphList* GetList(int width, int height);
    // Destroys the list once it holds no image.
    void ReturnList(TGlyphList* list);
    bool Empty() const { return lists_.empty(); }
    int ListCount() const { return static_cast<int>(lists_.size()); }

    // The shared cache: Acquire makes it when missing; Release destroys it
    // when it is empty. Current() may be null.
    static TGlyphCache& Acquire();
    static void ReleaseIfEmpty();
    static TGlyphCache* Current();

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

} // namespace velt
