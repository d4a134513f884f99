// Build-time generator of Velt's bitmaps and icon.
// Usage: gen_pictures <output folder>
#include "pictures.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_pictures <output folder>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        using namespace pictures;
        WriteBmp(MakeBackground(), 8, dir + "image1.bmp");
        WriteBmp(MakeBanner(), 4, dir + "image2.bmp");
        WriteBmp(MakeBanner(2), 4, dir + "image2_2x.bmp");
        for (const NamedGlyph& g : MakeKindGlyphs()) WriteBmp(g.image, 4, dir + g.name + ".bmp");
        WriteIco(MakeIcon(), dir + "velt.ico");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gen_pictures: %s\n", e.what());
        return 1;
    }
    return 0;
}
