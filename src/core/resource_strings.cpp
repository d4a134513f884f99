#include "core/resource_strings.h"

#include "core/text.h"

namespace velt {

namespace {

struct BuiltIn {
    int id;
    const char* utf8;
};
#define VELT_STRING(name, number, text) {number, text},
const BuiltIn kBuiltIn[] = {
#include "core/strings.def"
};
#undef VELT_STRING

std::u16string ReadBuiltIn(const void*, int id) { return BuiltInEnglishText(id); }

// As the system's 8-bit read into a 1024-byte buffer.
std::string ReadBuiltIn8(int id) {
    std::string text = Narrow(BuiltInEnglishText(id));
    if (text.size() > 1023) text.resize(1023);
    return text;
}

ResourceReader g_reader = &ReadBuiltIn;
IdentifierReader g_identifierReader = &ReadBuiltIn8;
ResourceTranslator g_translator = nullptr;
OwnerThreadTest g_ownerTest = nullptr;

std::u16string Translate(const std::u16string& text) {
    if (text.empty() || !g_translator) return text;
    return g_translator(text);
}

} // namespace

void SetResourceReader(ResourceReader reader) { g_reader = reader ? reader : &ReadBuiltIn; }
void SetIdentifierReader(IdentifierReader reader) { g_identifierReader = reader ? reader : &ReadBuiltIn8; }
void SetResourceTranslator(ResourceTranslator hook) { g_translator = hook; }
void SetOwnerThreadTest(OwnerThreadTest test) { g_ownerTest = test; }

std::u16string BuiltInEnglishText(int id) {
    for (const BuiltIn& s : kBuiltIn)
        if (s.id == id) return Utf8ToUtf16(s.utf8);
    return {};
}

std::u16string ReadResourceText(const void* module, int id) { return g_reader(module, id); }
std::string ReadIdentifierText(int id) { return g_identifierReader(id); }

std::string FormatText(const std::string& format, const std::vector<FormatArg>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) { out += c; continue; }
        char d = format[i + 1];
        if (d == '%') { out += '%'; ++i; continue; }
        if ((d == 's' || d == 'd') && next < args.size()) {
            const FormatArg& a = args[next++];
            out += a.isText ? a.text : std::to_string(a.number);
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}

std::u16string LoadResourceText(const ResStringRec* record) {
    if (!record) return {};
    if (record->id >= 65536 || record->id < 0) return u"ERROR";
    std::u16string text = g_reader(record->module, record->id);
    if (g_ownerTest && !g_ownerTest()) return text;
    return Translate(text);
}

std::string LoadResString(const ResStringRec* record) { return Narrow(LoadResourceText(record)); }

std::string ResStrInContext(const char* context, int id) {
    const std::u16string english = g_reader(nullptr, id);
    if (english.empty() || (g_ownerTest && !g_ownerTest())) return Narrow(english);
    const std::u16string key = Utf8ToUtf16(context) + u'\x04' + english;
    const std::u16string found = Translate(key);
    return Narrow(found == key ? english : found);
}

// The by-identifier routes have no owner-thread test.
std::string LoadStr(int id) {
    std::string english = g_identifierReader(id);
    if (english.empty()) return english;
    return Narrow(Translate(Widen(english)));
}

std::string FmtLoadStr(int id, const std::vector<FormatArg>& args) {
    std::string english = FormatText(g_identifierReader(id), args);
    if (english.empty()) return english;
    return Narrow(Translate(Widen(english)));
}

} // namespace velt
