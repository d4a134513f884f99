#include "i18n/file_locator.h"

#include <algorithm>
#include <vector>

namespace velt::i18n {

namespace {

unsigned char Fold(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::uint64_t Le64(const unsigned char* b) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = (v << 8) | b[k];
    return v;
}

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
    std::size_t first = 0, last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
    return s.substr(first, last - first);
}

} // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return Fold(static_cast<unsigned char>(x)) < Fold(static_cast<unsigned char>(y));
    });
}

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

TFileLocator::TFileLocator(FileAccess& files, std::string executablePath, std::uint64_t tablePosition,
                           std::unique_ptr<RwLock> lock)
    : files_(files), executablePath_(std::move(executablePath)), tablePosition_(tablePosition),
      lock_(std::move(lock)) {}

// Domains release their catalogues before the locator goes; a catalogue
// still listed here is freed with the list.
TFileLocator::~TFileLocator() = default;

void TFileLocator::ReadEmbeddedTable() {
    if (tablePosition_ == 0) return;
    executableDirectory_ = DirectoryOf(executablePath_);
    std::unique_ptr<FileReader> exe = files_.OpenShared(executablePath_);
    if (!exe) return;
    std::uint64_t position = tablePosition_;
    for (;;) {
        unsigned char numbers[24];
        if (!exe->ReadAt(position, numbers, 8)) return;
        std::uint64_t next = Le64(numbers);
        if (next == 0) return;
        // A name that ends before it starts, or beyond the file, means the
        // table is damaged. (Next always moves forward, so this ends.)
        if (next < position + 24 || next > exe->Size()) return;
        if (!exe->ReadAt(position + 8, numbers + 8, 16)) return;
        std::string name(static_cast<std::size_t>(next - position - 24), '\0');
        if (!name.empty() && !exe->ReadAt(position + 24, name.data(), name.size())) return;
        TEmbeddedFileInfo info{Le64(numbers + 8), Le64(numbers + 16)};
        if (!embeddedFiles_.emplace(Trim(name), info).second) return;  // duplicate name
        position = next;
    }
}

bool TFileLocator::IsEmbedded(const std::string& path) const {
    std::string relative = StartsWith(path, executableDirectory_) ? path.substr(executableDirectory_.size()) : path;
    return embeddedFiles_.count(relative) != 0;
}

TMoFile* TFileLocator::AcquireCatalogue(const std::string& path) {
    std::string realFile = path;
    std::uint64_t offset = 0, size = 0;
    if (StartsWith(path, executableDirectory_)) {
        auto it = embeddedFiles_.find(path.substr(executableDirectory_.size()));
        if (it != embeddedFiles_.end()) {
            realFile = executablePath_;
            offset = it->second.Offset;
            size = it->second.Size;
        }
    }
    std::string key = realFile;
    key += '\0';
    key += std::to_string(offset);
    WriteGuard guard(*lock_);
    auto it = openCatalogues_.find(key);
    if (it == openCatalogues_.end()) {
        auto catalogue = std::make_unique<TMoFile>(files_, realFile, offset, size);
        it = openCatalogues_.emplace(key, std::move(catalogue)).first;
    }
    ++it->second->UserCount;
    return it->second.get();
}

void TFileLocator::ReleaseCatalogue(TMoFile* catalogue) {
    WriteGuard guard(*lock_);
    if (--catalogue->UserCount > 0) return;
    for (auto it = openCatalogues_.rbegin(); it != openCatalogues_.rend(); ++it) {
        if (it->second.get() == catalogue) {
            openCatalogues_.erase(std::next(it).base());
            return;
        }
    }
}

std::size_t TFileLocator::OpenCatalogueCount() const {
    ReadGuard guard(*lock_);
    return openCatalogues_.size();
}

} // namespace velt::i18n
