// Build tool for catalogues (runs on the build machine):
//   catalogue_tool restore-header <compiled.mo> <out.mo>
//   catalogue_tool embed <program.exe> <catalogue.mo> <name> [<catalogue.mo> <name>]...
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/errors.h"
#include "i18n/catalogue_embedding.h"

namespace {

// The program image carries this text followed by 8 bytes: the position of
// the first entry of the embedded-file table.
constexpr char kMarkerText[] = "F1D9D3E3-E45B-48C9-AB4E-0533E488CB94";

velt::i18n::ByteVector Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw velt::Exception("Cannot open file " + path);
    return velt::i18n::ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Store(const std::string& path, const velt::i18n::ByteVector& bytes) {
    // Written beside the target and renamed over it, so a failed write never
    // leaves a half-written program.
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw velt::Exception("Cannot write file " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) throw velt::Exception("Cannot replace file " + path);
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::string command = argc > 1 ? argv[1] : "";
        if (command == "restore-header" && argc == 4) {
            velt::i18n::ByteVector mo = Load(argv[2]);
            velt::i18n::RestoreCreationDateField(mo);
            Store(argv[3], mo);
            return 0;
        }
        if (command == "embed" && argc >= 5 && argc % 2 == 1) {
            velt::i18n::ByteVector exe = Load(argv[2]);
            std::vector<velt::i18n::EmbeddedPayload> files;
            for (int i = 3; i + 1 < argc; i += 2) files.push_back({argv[i + 1], Load(argv[i])});
            auto layout = velt::i18n::EmbedFiles(exe, kMarkerText, files);
            Store(argv[2], exe);
            std::cout << "Embedded " << files.size() << " file(s) at " << layout.imageEnd << ", table at "
                      << layout.tablePosition << '\n';
            return 0;
        }
        std::cerr << "usage: catalogue_tool restore-header <compiled.mo> <out.mo>\n"
                     "       catalogue_tool embed <program.exe> <catalogue.mo> <name> [<catalogue.mo> <name>]...\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "catalogue_tool: " << e.what() << '\n';
        return 1;
    }
}
