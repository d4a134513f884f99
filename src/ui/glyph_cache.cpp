#include "ui/glyph_cache.h"

#include <algorithm>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {
TGlyphCache* gCache = nullptr;

// comctl32 is found on first use: the password prompt needs none of it.
#define Comctl(name)                                                                        \
    ([] {                                                                                   \
        static auto* const function = platform::SystemFunction<decltype(name)>("comctl32.dll", #name); \
        return function;                                                                    \
    }())
}

TGlyphList::TGlyphList(int width, int height)
    : list_(Comctl(ImageList_Create)(width, height, ILC_COLOR24, 4, 4)), width_(width), height_(height) {
    if (!list_) throw Exception(ResStr(IDS_OUT_OF_RESOURCES));
}

TGlyphList::~TGlyphList() {
    Comctl(ImageList_Destroy)(list_);
}

int TGlyphList::Add(HBITMAP image) {
    auto freeSlot = std::find(used_.begin(), used_.end(), false);
    int index;
    if (freeSlot != used_.end()) {
        index = static_cast<int>(freeSlot - used_.begin());
        if (!Comctl(ImageList_Replace)(list_, index, image, nullptr)) throw Exception(ResStr(IDS_OUT_OF_RESOURCES));
    } else {
        index = Comctl(ImageList_Add)(list_, image, nullptr);
        if (index < 0) throw Exception(ResStr(IDS_OUT_OF_RESOURCES));
        used_.resize(static_cast<size_t>(index) + 1, false);
    }
    used_[static_cast<size_t>(index)] = true;
    ++count_;
    return index;
}

void TGlyphList::Delete(int index) {
    if (index < 0 || index >= static_cast<int>(used_.size()) || !used_[static_cast<size_t>(index)]) return;
    used_[static_cast<size_t>(index)] = false;
    --count_;
}

void TGlyphList::Draw(int index, HDC dc, int x, int y) const {
    Comctl(ImageList_Draw)(list_, index, dc, x, y, ILD_NORMAL);
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
    for (auto& l : lists_)
        if (l->Width() == width && l->Height() == height) return l.get();
    lists_.push_back(std::make_unique<TGlyphList>(width, height));
    return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
    if (!list || list->Count() > 0) return;
    lists_.erase(std::remove_if(lists_.begin(), lists_.end(),
                                [list](const std::unique_ptr<TGlyphList>& l) { return l.get() == list; }),
                 lists_.end());
}

TGlyphCache& TGlyphCache::Acquire() {
    if (!gCache) gCache = new TGlyphCache;
    return *gCache;
}

void TGlyphCache::ReleaseIfEmpty() {
    if (gCache && gCache->Empty()) {
        delete gCache;
        gCache = nullptr;
    }
}

TGlyphCache* TGlyphCache::Current() {
    return gCache;
}

} // namespace velt
