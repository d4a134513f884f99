// Records of a CSV file, decoded in place: quoted and bare fields, quotes
// doubled inside quotes or (the backslash dialect) escaped as \" with \\ for
// a backslash, line breaks inside quoted fields, CR LF or LF between records,
// no line break after the last one.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "core/errors.h"

namespace velt::import {

// The bytes are not CSV (a quoted field never closes).
class ECsvError : public Exception { using Exception::Exception; };

class CsvReader {
public:
    enum class Escapes { Doubled, Backslash };

    // Reads data[0, size); decoding writes over the bytes already read, so
    // every field handed out stays valid as long as the buffer does.
    CsvReader(char* data, std::size_t size, char separator);

    void SetEscapes(Escapes escapes) { escapes_ = escapes; }
    // The next record; false at the end of the data. An empty line gives one
    // empty field. Throws ECsvError.
    bool Next(std::vector<std::string_view>& fields);
    // 1-based number of the record Next returned last.
    int Record() const { return record_; }

private:
    std::string_view QuotedField();
    std::string_view BareField();

    char* data_;
    std::size_t size_;
    std::size_t read_ = 0;   // next byte to look at
    std::size_t write_ = 0;  // next decoded byte of a quoted field
    char separator_;
    Escapes escapes_ = Escapes::Doubled;
    int record_ = 0;
};

} // namespace velt::import
