// Test doubles for the localisation code's file access: files held in
// memory, each mapping an exact-size heap copy so ASan sees any read past
// the end.
#pragma once
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/system_access.h"

namespace velt::i18n::test {

using Bytes = std::vector<unsigned char>;

inline Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The compiled Polish catalogue from the build tree.
inline const Bytes& PolishCatalogue() {
    static const Bytes bytes = ReadWholeFile(VELT_POLISH_CATALOGUE);
    return bytes;
}

// Velt's own Polish catalogue, the domain "velt", from the build tree.
inline const Bytes& AddedCatalogue() {
    static const Bytes bytes = ReadWholeFile(VELT_ADDED_CATALOGUE);
    return bytes;
}

class MemoryFiles : public FileAccess {
public:
    std::map<std::string, Bytes> files;
    int existsProbes = 0;
    int maps = 0;
    int openMappings = 0;

    bool FileExists(const std::string& path) override {
        ++existsProbes;
        return files.count(path) != 0;
    }

    MapOutcome MapReadOnly(const std::string& path) override {
        MapOutcome out;
        auto it = files.find(path);
        if (it == files.end()) {
            out.failedStep = MapStep::Open;
        } else if (it->second.empty()) {
            out.failedStep = MapStep::CreateMapping;
        } else {
            ++maps;
            out.file = std::make_unique<Mapping>(it->second, openMappings);
        }
        return out;
    }

    std::unique_ptr<FileReader> OpenShared(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::make_unique<Reader>(it->second);
    }

private:
    class Mapping : public MappedFile {
    public:
        Mapping(const Bytes& bytes, int& live) : size_(bytes.size()), copy_(new unsigned char[bytes.size()]), live_(live) {
            std::memcpy(copy_.get(), bytes.data(), size_);
            ++live_;
        }
        ~Mapping() override { --live_; }
        const unsigned char* Data() const override { return copy_.get(); }
        std::uint64_t Size() const override { return size_; }

    private:
        std::size_t size_;
        std::unique_ptr<unsigned char[]> copy_;
        int& live_;
    };

    class Reader : public FileReader {
    public:
        explicit Reader(Bytes bytes) : bytes_(std::move(bytes)) {}
        std::uint64_t Size() const override { return bytes_.size(); }
        bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) override {
            if (position > bytes_.size() || count > bytes_.size() - position) return false;
            std::memcpy(buffer, bytes_.data() + position, count);
            return true;
        }

    private:
        Bytes bytes_;
    };
};

} // namespace velt::i18n::test
