#include "vault/entry_items.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/byte_order.h"
#include "core/secure_memory.h"

namespace velt {

namespace {

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

void PutItem(std::string& out, unsigned char type, std::string_view body) {
    unsigned char header[kItemHeaderSize];
    header[0] = type;
    PutLE32(header + 1, static_cast<std::uint32_t>(body.size()));
    out.append(reinterpret_cast<const char*>(header), sizeof header);
    out.append(body.data(), body.size());
}

std::string TimedBody(std::int64_t time, std::string_view rest) {
    std::string body(kTimeSize, '\0');
    PutLE64(reinterpret_cast<unsigned char*>(&body[0]), time);
    body.append(rest.data(), rest.size());
    return body;
}

std::string DeletionBody(const EntryId& id, std::int64_t when) {
    std::string body(reinterpret_cast<const char*>(id.data()), id.size());
    body.resize(kDeletedEntrySize);
    PutLE64(reinterpret_cast<unsigned char*>(&body[kEntryIdSize]), when);
    return body;
}

// The row's items rebuilt by `edit` (which appends to `out`, walking the
// old ones); the bytes built aside hold old passwords and are wiped.
template <typename Edit>
void Rebuild(CellStore& table, int row, Edit edit) {
    const std::string_view items = table.Items(row);
    std::string out;
    out.reserve(items.size() + 64);
    edit(items, out);
    table.SetItems(row, out);
    WipeString(out);
}

// The first item of `type` replaced by one of `body` (later ones of the type
// dropped), or `body` added: first when `first`, else last.
void ReplaceItem(CellStore& table, int row, unsigned char type, std::string_view body, bool first) {
    Rebuild(table, row, [&](std::string_view items, std::string& out) {
        bool put = false;
        bool has = false;
        for (ItemWalk w(items); w.Next();) has = has || w.Type() == type;
        if (!has && first) {
            PutItem(out, type, body);
            put = true;
        }
        for (ItemWalk w(items); w.Next();) {
            if (w.Type() != type) {
                out.append(w.Whole().data(), w.Whole().size());
            } else if (!put) {
                if (!body.empty() || type != kItemOneTimeCode) PutItem(out, type, body);
                put = true;
            }
        }
        if (!put && !body.empty()) PutItem(out, type, body);
    });
}

std::string_view FindItem(std::string_view items, unsigned char type) {
    for (ItemWalk w(items); w.Next();)
        if (w.Type() == type) return w.Body();
    return {};
}

bool CountsSound(int ids, int times, int codes) { return ids == 1 && times <= 1 && codes <= 1; }

} // namespace

bool ItemWalk::Next() {
    if (bytes_.size() - at_ < kItemHeaderSize) return false;
    const unsigned char* p = Bytes(bytes_) + at_;
    const size_t size = GetLE32(p + 1);
    if (size > bytes_.size() - at_ - kItemHeaderSize) return false;
    type_ = p[0];
    whole_ = bytes_.substr(at_, kItemHeaderSize + size);
    body_ = whole_.substr(kItemHeaderSize);
    at_ += whole_.size();
    return true;
}

bool EntryItemsSound(std::string_view items) {
    int ids = 0, times = 0, codes = 0;
    size_t walked = 0;
    for (ItemWalk w(items); w.Next();) {
        walked += w.Whole().size();
        const size_t n = w.Body().size();
        switch (w.Type()) {
        case kItemId:
            if (n != kEntryIdSize) return false;
            ++ids;
            break;
        case kItemTimes:
            if (n != kEntryTimesSize) return false;
            ++times;
            break;
        case kItemOldPassword:
            if (n < kTimeSize || n > kTimeSize + 255) return false;
            break;
        case kItemOneTimeCode:
            if (n > kMaxOneTimeCode) return false;
            for (char c : w.Body())
                if (static_cast<unsigned char>(c) > 0x7F) return false;
            ++codes;
            break;
        default: break;  // kept as it is
        }
    }
    return walked == items.size() && CountsSound(ids, times, codes);
}

bool VaultItemsSound(std::string_view items) {
    size_t walked = 0;
    for (ItemWalk w(items); w.Next();) {
        walked += w.Whole().size();
        if (w.Type() == kItemDeletedEntry && w.Body().size() != kDeletedEntrySize) return false;
    }
    return walked == items.size();
}

bool HasEntryId(const CellStore& table, int row) { return FindItem(table.Items(row), kItemId).size() == kEntryIdSize; }

EntryId EntryIdOf(const CellStore& table, int row) {
    EntryId id{};
    const std::string_view body = FindItem(table.Items(row), kItemId);
    if (body.size() == id.size()) std::memcpy(id.data(), body.data(), id.size());
    return id;
}

EntryTimes EntryTimesOf(const CellStore& table, int row) {
    EntryTimes times;
    const std::string_view body = FindItem(table.Items(row), kItemTimes);
    if (body.size() != kEntryTimesSize) return times;
    times.made = GetLE64(Bytes(body));
    for (size_t f = 0; f < times.changed.size(); ++f) times.changed[f] = GetLE64(Bytes(body) + kTimeSize * (f + 1));
    return times;
}

std::vector<OldPassword> PasswordHistory(const CellStore& table, int row) {
    std::vector<OldPassword> history;
    for (ItemWalk w(table.Items(row)); w.Next();)
        if (w.Type() == kItemOldPassword && w.Body().size() >= kTimeSize)
            history.push_back({GetLE64(Bytes(w.Body())), w.Body().substr(kTimeSize)});
    return history;
}

std::string_view OneTimeCodeOf(const CellStore& table, int row) { return FindItem(table.Items(row), kItemOneTimeCode); }

std::vector<Deletion> Deletions(const CellStore& table) {
    std::vector<Deletion> deletions;
    for (ItemWalk w(table.Items(0)); w.Next();)
        if (w.Type() == kItemDeletedEntry && w.Body().size() == kDeletedEntrySize) {
            Deletion d;
            std::memcpy(d.id.data(), w.Body().data(), kEntryIdSize);
            d.when = GetLE64(Bytes(w.Body()) + kEntryIdSize);
            deletions.push_back(d);
        }
    return deletions;
}

void SetEntryId(CellStore& table, int row, const EntryId& id) {
    ReplaceItem(table, row, kItemId, std::string_view(reinterpret_cast<const char*>(id.data()), id.size()), true);
}

void SetEntryTimes(CellStore& table, int row, const EntryTimes& times) {
    unsigned char body[kEntryTimesSize];
    PutLE64(body, times.made);
    for (size_t f = 0; f < times.changed.size(); ++f) PutLE64(body + kTimeSize * (f + 1), times.changed[f]);
    // Placed after the id when new, as Velt writes them.
    const std::string_view bytes(reinterpret_cast<const char*>(body), sizeof body);
    if (!FindItem(table.Items(row), kItemTimes).empty() || !HasEntryId(table, row)) {
        ReplaceItem(table, row, kItemTimes, bytes, true);
        return;
    }
    Rebuild(table, row, [&](std::string_view items, std::string& out) {
        for (ItemWalk w(items); w.Next();) {
            out.append(w.Whole().data(), w.Whole().size());
            if (w.Type() == kItemId) PutItem(out, kItemTimes, bytes);
        }
    });
}

void SetOneTimeCode(CellStore& table, int row, std::string_view link) {
    if (link.size() > kMaxOneTimeCode) throw std::invalid_argument("one-time-code link too long");
    for (char c : link)
        if (static_cast<unsigned char>(c) > 0x7F) throw std::invalid_argument("one-time-code link not ASCII");
    ReplaceItem(table, row, kItemOneTimeCode, link, false);
}

void SetPasswordHistory(CellStore& table, int row, const std::vector<OldPassword>& history) {
    for (const OldPassword& old : history)
        if (old.text.size() > 255) throw std::invalid_argument("old password longer than 255 bytes");
    Rebuild(table, row, [&](std::string_view items, std::string& out) {
        bool put = false;
        auto putAll = [&] {
            for (const OldPassword& old : history) {
                std::string body = TimedBody(old.replaced, old.text);
                PutItem(out, kItemOldPassword, body);
                WipeString(body);
            }
            put = true;
        };
        for (ItemWalk w(items); w.Next();) {
            if (w.Type() != kItemOldPassword)
                out.append(w.Whole().data(), w.Whole().size());
            else if (!put)
                putAll();
        }
        if (!put) putAll();
    });
}

void SetDeletions(CellStore& table, const std::vector<Deletion>& deletions) {
    Rebuild(table, 0, [&](std::string_view items, std::string& out) {
        for (ItemWalk w(items); w.Next();)
            if (w.Type() != kItemDeletedEntry) out.append(w.Whole().data(), w.Whole().size());
        for (const Deletion& d : deletions) PutItem(out, kItemDeletedEntry, DeletionBody(d.id, d.when));
    });
}

void StampNewEntry(CellStore& table, int row, RandomByteSource& random, std::int64_t now) {
    EntryId id;
    random.Fill(id.data(), id.size());
    SetEntryId(table, row, id);
    EntryTimes times;
    times.made = now;
    times.changed.fill(now);
    SetEntryTimes(table, row, times);
}

void StampMissing(CellStore& table, RandomByteSource& random, std::int64_t now) {
    for (int r = 1; r < table.RowCount(); ++r) {
        if (!HasEntryId(table, r)) {
            EntryId id;
            random.Fill(id.data(), id.size());
            SetEntryId(table, r, id);
        }
        if (FindItem(table.Items(r), kItemTimes).size() != kEntryTimesSize) {
            EntryTimes times;
            times.made = now;
            times.changed.fill(now);
            SetEntryTimes(table, r, times);
        }
    }
}

void RecordFieldChange(CellStore& table, int row, int col, std::string_view before, std::int64_t now, int keep) {
    if (col < 1 || col > 5 || table.Cell(col, row) == before) return;
    EntryTimes times = EntryTimesOf(table, row);
    times.changed[static_cast<size_t>(col - 1)] = now;
    SetEntryTimes(table, row, times);
    if (col != CellStore::kPasswordColumn || before.empty()) return;
    std::string body = TimedBody(now, before.substr(0, std::min<size_t>(before.size(), 255)));
    Rebuild(table, row, [&](std::string_view items, std::string& out) {
        // Before the newest old one, or last when there is none.
        bool put = false;
        int kept = 0;
        for (ItemWalk w(items); w.Next();) {
            if (w.Type() != kItemOldPassword) {
                out.append(w.Whole().data(), w.Whole().size());
                continue;
            }
            if (!put && keep > 0) {
                PutItem(out, kItemOldPassword, body);
                ++kept;
            }
            put = true;
            if (kept < keep) {
                out.append(w.Whole().data(), w.Whole().size());
                ++kept;
            }
        }
        if (!put && keep > 0) PutItem(out, kItemOldPassword, body);
    });
    WipeString(body);
}

void TrimPasswordHistory(CellStore& table, int keep) {
    for (int r = 1; r < table.RowCount(); ++r) {
        int count = 0;
        for (ItemWalk w(table.Items(r)); w.Next();) count += w.Type() == kItemOldPassword;
        if (count <= keep) continue;
        Rebuild(table, r, [&](std::string_view items, std::string& out) {
            int kept = 0;
            for (ItemWalk w(items); w.Next();)
                if (w.Type() != kItemOldPassword || kept++ < keep) out.append(w.Whole().data(), w.Whole().size());
        });
    }
}

void RecordDeletion(CellStore& table, int row, std::int64_t now) {
    if (!HasEntryId(table, row)) return;
    const EntryId id = EntryIdOf(table, row);
    Rebuild(table, 0, [&](std::string_view items, std::string& out) {
        out.append(items.data(), items.size());
        PutItem(out, kItemDeletedEntry, DeletionBody(id, now));
    });
}

void ForgetOldDeletions(CellStore& table, std::int64_t now) {
    bool old = false;
    for (const Deletion& d : Deletions(table)) old = old || now - d.when > kDeletionsKeptFor;
    if (!old) return;
    Rebuild(table, 0, [&](std::string_view items, std::string& out) {
        for (ItemWalk w(items); w.Next();) {
            const bool stale = w.Type() == kItemDeletedEntry && w.Body().size() == kDeletedEntrySize &&
                               now - GetLE64(Bytes(w.Body()) + kEntryIdSize) > kDeletionsKeptFor;
            if (!stale) out.append(w.Whole().data(), w.Whole().size());
        }
    });
}

} // namespace velt
