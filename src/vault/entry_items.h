// What a strong vault remembers beyond the five texts: each entry's items
// (its id, when it was made and each field last changed, the passwords it
// replaced, a one-time-code link) and the vault's (the entries deleted).
// They are held as the file carries them, one item after another: a type
// byte, a 4-byte little-endian length N and N bytes, in the table's own store
// (CellStore::Items; row 0 holds the vault's). An item of a type this
// version does not know is never dropped or moved: it goes back to the file
// as it came.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/random_source.h"
#include "vault/cell_store.h"

namespace velt {

// Entry items.
inline constexpr unsigned char kItemId = 1;            // 16 random bytes, exactly one
inline constexpr unsigned char kItemTimes = 2;         // six 8-byte Unix times, at most one
inline constexpr unsigned char kItemOldPassword = 3;   // 8-byte time replaced, then 0-255 bytes; newest first
inline constexpr unsigned char kItemOneTimeCode = 4;   // an otpauth:// link, ASCII, at most one
// Vault items.
inline constexpr unsigned char kItemDeletedEntry = 1;  // the 16-byte id, then the 8-byte time

inline constexpr size_t kItemHeaderSize = 5;
inline constexpr size_t kEntryIdSize = 16;
inline constexpr size_t kEntryTimesSize = 48;
inline constexpr size_t kTimeSize = 8;
inline constexpr size_t kMaxOneTimeCode = 2048;
inline constexpr size_t kDeletedEntrySize = kEntryIdSize + kTimeSize;
// Old passwords kept per entry ([Strong] HistoryKeep=).
inline constexpr int kHistoryKeepDefault = 10;
inline constexpr int kHistoryKeepMax = 100;
// How long a deletion is remembered, in seconds: 90 days.
inline constexpr std::int64_t kDeletionsKeptFor = std::int64_t(90) * 24 * 60 * 60;

using EntryId = std::array<unsigned char, kEntryIdSize>;
// Times in seconds since 1970 (UTC); 0 when not known.
struct EntryTimes {
    std::int64_t made = 0;
    std::array<std::int64_t, 5> changed{};  // Name, Address, Login, Password, Description
};
struct OldPassword {
    std::int64_t replaced = 0;
    std::string_view text;
};
struct Deletion {
    EntryId id{};
    std::int64_t when = 0;
};

// One item after another, over bytes that keep the rules (see below).
class ItemWalk {
public:
    explicit ItemWalk(std::string_view bytes) : bytes_(bytes) {}
    // Steps to the next item; false past the last.
    bool Next();
    unsigned char Type() const noexcept { return type_; }
    std::string_view Body() const noexcept { return body_; }
    std::string_view Whole() const noexcept { return whole_; }  // header and body

private:
    std::string_view bytes_;
    size_t at_ = 0;
    unsigned char type_ = 0;
    std::string_view body_, whole_;
};

// The rules a file's items keep: every length within the bytes, the known
// items of their sizes, exactly one id, at most one times and one-time-code
// item. False means the file is damaged.
bool EntryItemsSound(std::string_view items);
bool VaultItemsSound(std::string_view items);

// Reading an entry row.
bool HasEntryId(const CellStore& table, int row);
EntryId EntryIdOf(const CellStore& table, int row);        // zeros when it has none
EntryTimes EntryTimesOf(const CellStore& table, int row);  // zeros when it has none
// Newest first; the texts are views into the store, valid until the row's
// items change.
std::vector<OldPassword> PasswordHistory(const CellStore& table, int row);
std::string_view OneTimeCodeOf(const CellStore& table, int row);  // empty when none
std::vector<Deletion> Deletions(const CellStore& table);

// Setting them; every other item stays as and where it is.
void SetEntryId(CellStore& table, int row, const EntryId& id);
void SetEntryTimes(CellStore& table, int row, const EntryTimes& times);
// An empty link removes the item. std::invalid_argument for a link longer
// than 2,048 bytes or not ASCII.
void SetOneTimeCode(CellStore& table, int row, std::string_view link);
// Replaces the old passwords, newest first (std::invalid_argument for a text
// over 255 bytes).
void SetPasswordHistory(CellStore& table, int row, const std::vector<OldPassword>& history);
void SetDeletions(CellStore& table, const std::vector<Deletion>& deletions);

// What editing records in a strong vault.
// A made entry: a new id, and `now` as its every time.
void StampNewEntry(CellStore& table, int row, RandomByteSource& random, std::int64_t now);
// Every entry without an id or times gets them, of `now`.
void StampMissing(CellStore& table, RandomByteSource& random, std::int64_t now);
// A field (column 1-5) now holds another text than `before`: its time is
// `now`, and a replaced password that was not empty heads the history, which
// keeps its newest `keep`. Nothing when the text is the same.
void RecordFieldChange(CellStore& table, int row, int col, std::string_view before, std::int64_t now, int keep);
// Every entry keeps its newest `keep` old passwords.
void TrimPasswordHistory(CellStore& table, int keep);
// The entry row is about to go: its id is remembered with `now`.
void RecordDeletion(CellStore& table, int row, std::int64_t now);
// Deletions older than 90 days before `now` are forgotten.
void ForgetOldDeletions(CellStore& table, std::int64_t now);

} // namespace velt
