#include "import/csv_reader.h"

#include "vault/byte_simd.h"

namespace velt::import {

CsvReader::CsvReader(char* data, std::size_t size, char separator)
    : data_(data), size_(size), separator_(separator) {}

bool CsvReader::Next(std::vector<std::string_view>& fields) {
    fields.clear();
    if (read_ >= size_) return false;
    ++record_;
    for (;;) {
        fields.push_back(read_ < size_ && data_[read_] == '"' ? QuotedField() : BareField());
        if (read_ >= size_) return true;
        const char c = data_[read_++];
        if (c == separator_) continue;
        // A record ends at LF, CR LF or a lone CR.
        if (c == '\r' && read_ < size_ && data_[read_] == '\n') ++read_;
        return true;
    }
}

std::string_view CsvReader::BareField() {
    const std::size_t start = read_;
    read_ += simd::RunWithout(reinterpret_cast<const unsigned char*>(data_ + read_), size_ - read_,
                              static_cast<unsigned char>(separator_), '\n', '\r', false);
    // Bare fields need no decoding; they stay where they are.
    return std::string_view(data_ + start, read_ - start);
}

std::string_view CsvReader::QuotedField() {
    // The decoded text is never longer than the quoted one, so it is written
    // from the opening quote on, over bytes already read.
    const std::size_t start = write_ = read_++;
    for (;;) {
        if (read_ >= size_) throw ECsvError("unterminated quoted field");
        const char c = data_[read_++];
        if (c == '\\' && escapes_ == Escapes::Backslash && read_ < size_ &&
            (data_[read_] == '"' || data_[read_] == '\\')) {
            data_[write_++] = data_[read_++];
        } else if (c == '"') {
            if (read_ < size_ && data_[read_] == '"') {
                data_[write_++] = '"';
                ++read_;
                continue;
            }
            // Closed. Text between the closing quote and the separator is
            // kept as it stands rather than refused.
            while (read_ < size_ && data_[read_] != separator_ && data_[read_] != '\n' &&
                   data_[read_] != '\r')
                data_[write_++] = data_[read_++];
            return std::string_view(data_ + start, write_ - start);
        } else {
            data_[write_++] = c;
        }
    }
}

} // namespace velt::import
